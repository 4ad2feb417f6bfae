// Finish list: entry, removal and the refresh of the results and reports pages.

#include "ui/frmkelvora.h"

void frmkelvora::cmdunos_Click()
{
}

void frmkelvora::onFinishListContextMenu(const QPoint&)
{
}

void frmkelvora::onDeleteFinish()
{
}

void frmkelvora::refreshResultsPage()
{
}

void frmkelvora::refreshReportsPage()
{
}
