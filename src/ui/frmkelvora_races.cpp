// Races: new, open, edit, withdraw, prize fund and categories.

#include "ui/frmkelvora.h"

void frmkelvora::onNewRace()
{
}

void frmkelvora::onOpenRace()
{
}

void frmkelvora::onEditRace()
{
}

void frmkelvora::onWithdrawRace()
{
}

void frmkelvora::onPrizes()
{
}

void frmkelvora::onCategories()
{
}
