// A developer aid: pictures of the windows for the documentation.
#pragma once

#include <QString>

namespace quillmere {

class TForm1;
class TFinishForm;

//! Saves a PNG of each page of the main window (page-zone1.png, page-zone2.png,
//! page-zone3.png, page-general.png) and of the finish dialog (finish.png) into `directory`.
//! False when a picture could not be saved.
bool SaveScreenshots(TForm1& form, TFinishForm& finishForm, const QString& directory);

}  // namespace quillmere
