#include "print/printerqueue.h"

#include <QPrinterInfo>
#include <cups/cups.h>

namespace print {

bool acceptsJobs(const QString& printerName)
{
    if (QPrinterInfo::printerInfo(printerName).isNull())
        return false;

    // Qt names an instance of a queue "queue/instance".
    const QByteArray queue = printerName.section(QLatin1Char('/'), 0, 0).toLocal8Bit();
    const QByteArray instance = printerName.section(QLatin1Char('/'), 1).toLocal8Bit();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return true;
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool accepts = !accepting || qstrcmp(accepting, "false") != 0;
    cupsFreeDests(1, dest);
    return accepts;
}

} // namespace print
