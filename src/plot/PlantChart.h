// The plant figures of a run as a chart: each zone's exhaust as % of the LEL against its
// limit (left axis) and each zone's heat, Qweb and Qair (right axis).
#pragma once

#include <QChart>
#include <memory>

#include "analysis/plant/PlantFigures.h"

namespace quillmere::plot {

//! Bars by zone: % of the LEL (left axis, with the limit as a line), Qweb and Qair in kW
//! (right axis). A zone whose %LEL is not known has no %LEL bar.
std::unique_ptr<QChart> PlantChart(const PlantFigures& figures);

}  // namespace quillmere::plot
