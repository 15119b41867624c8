// A developer aid: pictures of the windows for the documentation, as the user sees them.
#pragma once

#include <QString>

namespace quillmere {

class CurvesWindow;
class TForm1;
class TFinishForm;

//! Saves PNGs of the windows into `directory`; false when a picture could not be saved.
//! With `screen` empty: each page of the main window (page-zone1.png, page-zone2.png,
//! page-zone3.png, page-general.png, page-plant.png), the finish dialog (finish.png), the
//! curves of the inputs shown (curves.png), three runs at 0.8, 1.0 and 1.2 m/s compared
//! (curves-compare.png), a run compared with a kept one at the window's least size
//! (curves-smallest.png) and the Optimise dialog after a search (optimise-dialog.png), each
//! window's contents alone.
//! With `screen` "laptop" or "small-laptop": the whole screen, which is to be a laptop's work
//! area with a window manager, with the curves window maximised in its frame: the plant
//! example compared with a kept run (curves-laptop.png or curves-small-laptop.png) and, on
//! the laptop, the plant example's run alone (curves-plant.png) and its live preview after
//! zone 2's air is typed (curves-preview.png).
//! A picture is taken once the window has settled; where it does not within two minutes, a
//! warning names the picture, and the result is false.
bool SaveScreenshots(TForm1& form, TFinishForm& finishForm, CurvesWindow& curves,
                     const QString& directory, const QString& screen = {});

}  // namespace quillmere
