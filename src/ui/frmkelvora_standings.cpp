// Standings: "Obrada" on the reports page.

#include "ui/frmkelvora.h"

void frmkelvora::cmdobrada_Click()
{
}
