#include "core/fileerrors.h"

#include "core/clitexts.h"

#include <QFileInfo>

#include <cerrno>
#include <initializer_list>

namespace kvr {

namespace {

// Whether text holds the system's text of one of these error numbers, as
// Qt's file classes put it in their error strings.
bool saysAnyOf(const QString& text, std::initializer_list<int> codes)
{
    for (const int code : codes) {
        const QString known = qt_error_string(code);
        if (!known.isEmpty() && text.contains(known, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

FileProblem fileProblem(const QString& path, const QString& systemText)
{
    // Without a path (standard output) only the system's text tells.
    const QFileInfo file(path);
    if (!path.isEmpty() && file.isDir())
        return FileProblem::IsFolder;
    if (saysAnyOf(systemText, {ENOSPC, EDQUOT}))
        return FileProblem::DiskFull;
    if (saysAnyOf(systemText, {EROFS}))
        return FileProblem::ReadOnly;
    if (saysAnyOf(systemText, {EACCES, EPERM}))
        return FileProblem::NotAllowed;
    if (!path.isEmpty() && !QFileInfo(file.absolutePath()).isDir())
        return FileProblem::MissingFolder;
    if ((!path.isEmpty() && !file.exists()) || saysAnyOf(systemText, {ENOENT}))
        return FileProblem::MissingFile;
    return FileProblem::Other;
}

QString fileReason(const QString& path, const QString& systemText)
{
    const QString cause = tx::fileProblemText(fileProblem(path, systemText));
    if (cause.isEmpty())
        return systemText;
    if (systemText.isEmpty())
        return cause;
    return cause + QStringLiteral("; ") + systemText;
}

} // namespace kvr
