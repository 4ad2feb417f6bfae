#include "print/printerqueue.h"

#include <QPrinterInfo>
#include <cups/cups.h>

namespace print {

namespace {

// Qt names an instance of a queue "queue/instance".
struct QueueName {
    QByteArray queue;
    QByteArray instance;
    explicit QueueName(const QString& printerName)
        : queue(printerName.section(QLatin1Char('/'), 0, 0).toLocal8Bit())
        , instance(printerName.section(QLatin1Char('/'), 1).toLocal8Bit())
    {
    }
    cups_dest_t* dest() const
    {
        return cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.constData(), instance.isEmpty() ? nullptr : instance.constData());
    }
};

} // namespace

bool acceptsJobs(const QString& printerName)
{
    if (QPrinterInfo::printerInfo(printerName).isNull())
        return false;

    cups_dest_t* dest = QueueName(printerName).dest();
    if (!dest)
        return true;
    const char* accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
    const bool accepts = !accepting || qstrcmp(accepting, "false") != 0;
    cupsFreeDests(1, dest);
    return accepts;
}

Submitted submitPdf(const QString& printerName, const QString& pdfPath, const QString& jobName)
{
    const QueueName name(printerName);
    // The queue's defaults go with the job, as the lp command sends them.
    int count = 0;
    cups_option_t* options = nullptr;
    if (cups_dest_t* dest = name.dest()) {
        for (int i = 0; i < dest->num_options; ++i)
            count = cupsAddOption(dest->options[i].name, dest->options[i].value, count, &options);
        cupsFreeDests(1, dest);
    }
    const QByteArray file = pdfPath.toLocal8Bit();
    const QByteArray title = jobName.toUtf8();
    const int job = cupsPrintFile2(CUPS_HTTP_DEFAULT, name.queue.constData(), file.constData(), title.constData(),
                                   count, options);
    cupsFreeOptions(count, options);
    if (job > 0)
        return {};
    const ipp_status_t status = cupsLastError();
    Submitted result;
    result.refused = status == IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS || status == IPP_STATUS_ERROR_NOT_FOUND;
    result.error = QString::fromUtf8(cupsLastErrorString());
    return result;
}

} // namespace print
