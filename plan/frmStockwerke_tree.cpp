#include "plan/frmStockwerke.h"

// The tree of buildings, floors and places and its editors live on tab 2.

void frmStockwerke::FillResourceTree()
{
}

void frmStockwerke::RefreshTreeOccupancy()
{
}
