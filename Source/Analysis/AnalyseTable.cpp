#include "Analysis/UZEPTableAnalyzer.h"
#include "Analysis/ZEPPageItemInfo.h"
#include "Plugin/CZEPException.h"

void ZEPPageItemInfo::AnalyseTable(IPMUnknown* item) {
    InterfacePtr<ITableFrame> tableFrame(item, UseDefaultIID{});
    if (!tableFrame)
        return;
    InterfacePtr<ITableModel> iTableModel(tableFrame->QueryTableModel());
    ThrowIfNull(iTableModel, "iTableModel");
    const GridArea area = iTableModel->GetTotalArea();
    if (!tableFrame->IsAreaShown(area))
        return;
    for (const GridArea& cells : tableFrame->GetCellAreas(area))
        RunTableAnalysis(iTableModel.get(), cells, *this);
}
