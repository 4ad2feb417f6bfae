// Printouts: start list, registered list and standings.

#include "ui/frmkelvora.h"

void frmkelvora::cmdispis_Click()
{
}

void frmkelvora::onPrintRegistered()
{
}

void frmkelvora::cmdispisiz_Click()
{
}
