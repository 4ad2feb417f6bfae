// Competitors: adding, editing and deleting start-list entries.

#include "ui/frmkelvora.h"

void frmkelvora::cmddodaj_Click()
{
}

void frmkelvora::onEditCompetitor()
{
}

void frmkelvora::onDeleteCompetitor()
{
}
