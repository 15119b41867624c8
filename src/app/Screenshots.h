// A developer aid: pictures of the windows for the documentation.
#pragma once

#include <QString>

namespace quillmere {

class CurvesWindow;
class TForm1;
class TFinishForm;

//! Saves a PNG of each page of the main window (page-zone1.png, page-zone2.png,
//! page-zone3.png, page-general.png), of the finish dialog (finish.png), of the curves of the
//! inputs shown (curves.png) and of three runs at 0.8, 1.0 and 1.2 m/s compared
//! (curves-compare.png) into `directory`. False when a picture could not be saved.
bool SaveScreenshots(TForm1& form, TFinishForm& finishForm, CurvesWindow& curves,
                     const QString& directory);

}  // namespace quillmere
