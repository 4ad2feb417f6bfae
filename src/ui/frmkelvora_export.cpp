// Exports: lists to CSV, HTML and PDF files.

#include "ui/frmkelvora.h"

void frmkelvora::onExport()
{
}
