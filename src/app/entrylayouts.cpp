#include "app/entrylayouts.h"

#include "core/entryfile.h"

#include <QSettings>
#include <algorithm>

namespace imports {

namespace {

QSettings settings()
{
    return QSettings(QStringLiteral("Kelvora"), QStringLiteral("Kelvora"));
}

// Keys of the two kinds of memory. A header is folded, so that the same
// columns written in other letter case still match.
QString headerKey(const io::CsvResult& file)
{
    QStringList folded;
    for (const QString& h : file.rows.value(0).fields)
        folded.append(io::foldHeader(h));
    return QStringLiteral("uvozprijava/naslov/") + QString::fromLatin1(folded.join(QLatin1Char('\t')).toUtf8().toHex());
}

QString countKey(const io::CsvResult& file)
{
    return QStringLiteral("uvozprijava/stupaca/%1").arg(io::columnCount(file));
}

std::optional<io::EntryLayout> remembered(const QString& key, bool header, qsizetype columns)
{
    const QString text = settings().value(key).toString();
    if (text.isEmpty())
        return std::nullopt;
    io::EntryLayout layout;
    layout.header = header;
    for (const QString& name : text.split(QLatin1Char(','))) {
        const auto column = io::entryColumnNamed(name);
        if (!column)
            return std::nullopt;
        layout.columns.append(*column);
    }
    layout.columns.resize(columns, io::EntryColumn::Skip);
    return layout;
}

} // namespace

io::EntryLayout startingLayout(const io::CsvResult& file, const CategoryScheme* categories)
{
    const qsizetype columns = io::columnCount(file);
    if (file.rows.isEmpty())
        return io::recogniseLayout(file, categories);
    if (auto byHeader = remembered(headerKey(file), true, columns))
        return *byHeader;
    io::EntryLayout recognised = io::recogniseLayout(file, categories);
    if (recognised.header)
        return recognised;
    if (auto byCount = remembered(countKey(file), false, columns))
        return *byCount;
    return recognised;
}

void rememberLayout(const io::CsvResult& file, const io::EntryLayout& layout)
{
    if (file.rows.isEmpty())
        return;
    settings().setValue(layout.header ? headerKey(file) : countKey(file), io::columnList(layout));
}

} // namespace imports
