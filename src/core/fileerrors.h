#pragma once

// Why a file could not be read or written, in words a user knows: the
// common causes told in Croatian, the system's own text kept after them.

#include <QString>

namespace kvr {

enum class FileProblem { Other, MissingFile, MissingFolder, IsFolder, NotAllowed, DiskFull, ReadOnly };

// The cause of a failed read or write of path, told by the path itself (a
// folder, a missing file or folder) and by the system's text of the failure
// (access refused, disk full, read-only file system). An empty path (the
// standard output) is told by the text alone.
FileProblem fileProblem(const QString& path, const QString& systemText);

// The cause in Croatian followed by systemText, or systemText alone when the
// cause is none of the common ones.
QString fileReason(const QString& path, const QString& systemText);

} // namespace kvr
