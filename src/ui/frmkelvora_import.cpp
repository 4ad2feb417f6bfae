// Imports: entries and finish times from files, with a preview.

#include "ui/frmkelvora.h"

void frmkelvora::onImportEntries()
{
}

void frmkelvora::onImportTimes()
{
}
