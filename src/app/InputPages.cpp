#include "app/InputPages.h"

#include <QGroupBox>
#include <QRect>
#include <array>
#include <string>
#include <string_view>

#include "app/FieldRows.h"
#include "params/FieldTable.h"

namespace quillmere {
namespace {

// Zone groups: rows 23 px apart, strips inset 8 px from the group's sides.
constexpr int kRowPitch = 23;
constexpr int kFirstRowTop = 19;
constexpr int kInset = 8;
constexpr int kZoneFieldWidth = 72;

// A zone group of rows: zone 1's starts with the start conditions, then come the zone's six
// conditions.
void ZoneGroup(QWidget& page, const FieldRowBuilder& rows, int zone, std::string_view objectName,
               const QRect& geometry) {
  QGroupBox* group =
      rows.Group(page, objectName, "Zone " + std::to_string(zone), geometry, colours::kGroup);
  const int width = geometry.width() - 2 * kInset;
  int top = kFirstRowTop;
  if (zone == 1) {
    for (const FieldSpec& field : AllFields()) {
      if (field.group != FieldGroup::StartConditions) continue;
      rows.Row(*group, field.name, kInset, top, width, kZoneFieldWidth);
      top += kRowPitch;
    }
  }
  for (int index = 0; index < static_cast<int>(kZoneQuantities.size()); ++index) {
    rows.Row(*group, ZoneFieldName(zone, index), kInset, top, width, kZoneFieldWidth);
    top += kRowPitch;
  }
}

// One row cell of the general page: a field at `left`, `width` wide, in row `row` of its
// group. The vapour pressure row names its B and C fields as well.
struct Cell {
  std::string_view field;
  int row = 0;
  int left = 0;
  int width = 0;
  int fieldWidth = 0;
  std::string_view antoineB = {};
  std::string_view antoineC = {};
};

struct InnerGroup {
  std::string_view objectName;
  std::string_view caption;
  QRect geometry;
  int firstRowTop;
  int rowPitch;
  std::array<Cell, 8> cells;  // unused cells have no field
};

// The inner groups of "  General  ": name, caption, place, top of the first row, distance of
// the rows, and the cells {field, row, left, width, field width}. Right-hand cells end 8 px
// from the group's right side.
constexpr int kGeneralFieldWidth = 64;
constexpr int kShortFieldWidth = 52;    // beside the longest captions of their column
constexpr int kLongFieldWidth = 90;     // diffusion coefficients, written out in full
constexpr int kAntoineFieldWidth = 62;  // the three constants of the vapour pressure row
const std::array<InnerGroup, 5> kGeneralGroups{{
    {"FittingGroup",
     "Fitting Parameter",
     QRect(9, 18, 654, 126),
     22,
     25,
     {{{"Edit201", 0, 8, 315, kGeneralFieldWidth},
       {"Edit202", 1, 8, 315, kGeneralFieldWidth},
       {"Edit203", 2, 8, 315, kGeneralFieldWidth},
       {"Edit204", 3, 8, 315, kGeneralFieldWidth},
       {"Edit205", 0, 331, 315, kGeneralFieldWidth},
       {"Edit206", 1, 331, 315, kGeneralFieldWidth},
       {"Edit207", 2, 331, 315, kGeneralFieldWidth},
       {"Edit208", 3, 331, 315, kGeneralFieldWidth}}}},
    {"PolymerGroup",
     "  Solid (Polymer)",
     QRect(9, 153, 672, 51),
     20,
     0,
     {{{"Edit211", 0, 8, 330, kGeneralFieldWidth}, {"Edit212", 0, 346, 318, kGeneralFieldWidth}}}},
    {"Solvent1Group",
     "  Solvent-1 ",
     QRect(9, 206, 677, 109),
     21,
     28,
     {{{"Edit221", 0, 8, 362, kGeneralFieldWidth},
       {"Edit222", 0, 378, 291, kShortFieldWidth},
       {"Edit223", 1, 8, 362, kLongFieldWidth},
       {"Edit227", 1, 378, 291, kGeneralFieldWidth},
       {"Edit224", 2, 8, 474, kAntoineFieldWidth, "Edit225", "Edit226"},
       {"Edit228", 2, 490, 179, kShortFieldWidth}}}},
    {"Solvent2Group",
     "  Solvent-2  ",
     QRect(8, 324, 678, 113),
     22,
     29,
     {{{"Edit231", 0, 8, 362, kGeneralFieldWidth},
       {"Edit232", 0, 378, 292, kShortFieldWidth},
       {"Edit233", 1, 8, 362, kLongFieldWidth},
       {"Edit237", 1, 378, 292, kGeneralFieldWidth},
       {"Edit234", 2, 8, 474, kAntoineFieldWidth, "Edit235", "Edit236"},
       {"Edit238", 2, 490, 180, kShortFieldWidth}}}},
    {"BaseFilmGroup",
     "  Base Film  ",
     QRect(7, 442, 678, 52),
     21,
     0,
     {{{"Edit241", 0, 8, 330, kGeneralFieldWidth}}}},
}};

}  // namespace

void BuildFirstPageFields(QWidget& page, const FieldRowBuilder& rows) {
  ZoneGroup(page, rows, 1, "GroupBox1", QRect(8, 8, 340, 322));
  ZoneGroup(page, rows, 2, "GroupBox2", QRect(9, 343, 340, 163));

  QGroupBox* accuracy = rows.Group(page, "GroupBox10", "  Calculation Accuracy  ",
                                   QRect(357, 161, 347, 53), colours::kGroup);
  rows.Row(*accuracy, "Edit20", kInset, 22, 347 - 2 * kInset, kZoneFieldWidth);

  QGroupBox* saveFile = rows.Group(page, "GroupBox9", "  Save File Name  ",
                                   QRect(540, 221, 142, 44), colours::kGroup);
  rows.Field(*saveFile, "Edit250", QRect(16, 20, 109, kFieldHeight));
}

void BuildZonePage(QWidget& page, int firstZone, const FieldRowBuilder& rows) {
  static constexpr std::array<int, 2> kColumnLefts{15, 364};
  static constexpr std::array<int, 3> kRowTops{13, 177, 340};
  for (int i = 0; i < 6; ++i) {
    const int zone = firstZone + i;
    const QRect geometry(kColumnLefts[static_cast<std::size_t>(i / 3)],
                         kRowTops[static_cast<std::size_t>(i % 3)], 336, 160);
    ZoneGroup(page, rows, zone, "ZoneGroup" + std::to_string(zone), geometry);
  }
}

void BuildGeneralPage(QWidget& page, const FieldRowBuilder& rows) {
  QGroupBox* general =
      rows.Group(page, "GeneralGroup", "  General  ", QRect(10, 4, 700, 505), colours::kGroup);
  for (const InnerGroup& inner : kGeneralGroups) {
    QGroupBox* group =
        rows.Group(*general, inner.objectName, inner.caption, inner.geometry, colours::kInnerGroup);
    for (const Cell& cell : inner.cells) {
      if (cell.field.empty()) continue;
      const int top = inner.firstRowTop + cell.row * inner.rowPitch;
      if (!cell.antoineB.empty()) {
        rows.AntoineRow(*group, cell.field, cell.antoineB, cell.antoineC, cell.left, top,
                        cell.width, cell.fieldWidth);
      } else {
        rows.Row(*group, cell.field, cell.left, top, cell.width, cell.fieldWidth);
      }
    }
  }
}

}  // namespace quillmere
