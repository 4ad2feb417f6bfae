#include "core/categorycodes.h"

#include <QRegularExpression>
#include <algorithm>

namespace schemes {

std::optional<CodeForm> readCategoryCode(const QString& code)
{
    static const QRegularExpression form(QStringLiteral("^([MFŽZW])(SEN|S|U(\\d{1,2})|(\\d{1,3}))$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = form.match(code.trimmed().toUpper());
    if (!m.hasMatch())
        return std::nullopt;
    CodeForm result;
    result.sex = m.captured(1) == QLatin1String("M") ? RuleSex::Men : RuleSex::Women;
    if (!m.captured(3).isEmpty()) {
        result.under = true;
        result.age = m.captured(3).toInt();
    } else if (!m.captured(4).isEmpty()) {
        result.age = m.captured(4).toInt();
    } else {
        result.age = 20;
        result.senior = true;
    }
    if (result.age > kMaxRuleAge || (result.under && result.age == 0))
        return std::nullopt;
    return result;
}

QList<CategoryRow> categoriesFromCodes(const QStringList& codes)
{
    struct Band {
        int from;
        QStringList labels;
    };
    QList<CategoryRow> rows;
    for (const RuleSex sex : {RuleSex::Men, RuleSex::Women}) {
        QList<std::pair<CodeForm, QString>> forms;
        for (const QString& code : codes) {
            const auto form = readCategoryCode(code);
            if (form && form->sex == sex)
                forms.append({*form, code.trimmed()});
        }
        // Under codes first, by their number; then the others by theirs.
        std::stable_sort(forms.begin(), forms.end(), [](const auto& a, const auto& b) {
            if (a.first.under != b.first.under)
                return a.first.under;
            return a.first.age < b.first.age;
        });
        QList<Band> bands;
        int underFrom = 0;
        for (const auto& [form, label] : forms) {
            const int from = form.under ? underFrom : form.age;
            if (form.under)
                underFrom = form.age;
            // A senior band shows as MS or FS whichever way the file writes it.
            QStringList labels{label};
            if (form.senior && label.size() > 2)
                labels.prepend(label.left(2));
            if (bands.isEmpty() || bands.last().from != from)
                bands.append(Band{from, QStringList()});
            for (const QString& l : labels) {
                if (!bands.last().labels.contains(l, Qt::CaseInsensitive))
                    bands.last().labels.append(l);
            }
        }
        std::stable_sort(bands.begin(), bands.end(), [](const Band& a, const Band& b) { return a.from < b.from; });
        for (qsizetype i = 0; i < bands.size(); ++i) {
            CategoryRow row;
            row.label = bands[i].labels.join(QLatin1Char('|'));
            row.sex = sex;
            row.from = bands[i].from;
            row.to = i + 1 < bands.size() ? bands[i + 1].from - 1 : kMaxRuleAge;
            rows.append(row);
        }
    }
    return rows;
}

} // namespace schemes
