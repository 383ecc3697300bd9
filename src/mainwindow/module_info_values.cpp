#include "module_info_values.h"

namespace pxu {

namespace {

struct ReportColumn {
    const char* caption;
    int width;
};

constexpr ReportColumn kReportColumns[kInfoColumns] = {
    {"Section", 16},     {"Size", 6},      {"Name", 10},
    {"Version", 10},     {"", 0},          {"Code start", 14},
    {"Code Length", 14}, {"Code CRC", 14}, {"InfoBlock CRC", 14},
    {"Serial", 12},      {"RAM", 8},       {"Flash", 8},
};

} // namespace

QString sectionRowName(int row) {
    // Rows as getDisplayIndex orders the sections 6, 4, 7, 3, 2, 1.
    static const char* const names[kInfoRows] = {"Application",  "Data Container", "FPGA",
                                                 "Bootloader 2", "Bootloader 1",   "Hardware"};
    return row >= 0 && row < kInfoRows ? QString::fromLatin1(names[row]) : QString();
}

ModuleInfoRows moduleInfoRows(const modUpload::ModuleInfoTable& table) {
    ModuleInfoRows rows;
    for (int r = 0; r < kInfoRows; ++r) {
        rows[r][0] = sectionRowName(r);
        for (int c = 1; c < kInfoColumns; ++c) {
            if (r < table.size() && c < table[r].size())
                rows[r][c] = table[r][c];
        }
    }
    return rows;
}

QString reportColumnCaption(int column) {
    if (column < 0 || column >= kInfoColumns)
        return {};
    return QString::fromLatin1(kReportColumns[column].caption);
}

int reportColumnWidth(int column) {
    if (column < 0 || column >= kInfoColumns)
        return 0;
    return kReportColumns[column].width;
}

} // namespace pxu
