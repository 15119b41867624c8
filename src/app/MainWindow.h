// Form1: the main window with the notebook of input pages, the picture of the line, the file
// browser and the three buttons.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "app/LineEditFieldTexts.h"
#include "app/OpenFileDialog.h"
#include "app/WindowLook.h"
#include "params/ParameterSet.h"
#include "params/PlantInputs.h"
#include "report/DataFile.h"
#include "report/SolventLibrary.h"

class QPushButton;
class QTabWidget;

namespace quillmere {

class CurvesWindow;
class OutputClashCheck;
class LivePreview;
class UserMessages;
struct SimulationState;
class DriveComboBox;
class DirectoryListBox;
class FileListBox;

//! The main window. It owns the field texts (its line edits, named "Edit1" ... "Edit250"),
//! the program's one ParameterSet and one SimulationState; it reports through `messages`.
class TForm1 : public QWidget {
  Q_OBJECT
 public:
  //! `decimalSeparator` is the user's, for the defaults shown and for every calculation;
  //! `chooseDataFile` defaults to the open dialog; `curves`, when given, shows each run that
  //! computed zones once its finish dialog (or error box) is closed.
  TForm1(const WindowLook& look, UserMessages& messages, char decimalSeparator,
         DataFileChooser chooseDataFile = {}, CurvesWindow* curves = nullptr,
         QWidget* parent = nullptr);
  ~TForm1() override;

  //! OK: runs one calculation from the field texts; the result file lands in the directory
  //! shown when its name has no directory.
  void BitBtn1Click();
  //! "Input Data File": chooses a data file and copies its values into the enabled fields.
  void InputDataClick();
  //! Close: closes the window, which ends the program.
  void BitBtn2Click();
  //! "Optimise...": the dialog that searches the best setting and applies it to the fields.
  void OptimiseClick();

  //! The input fields by name.
  FieldTexts& Fields() { return fields_; }
  //! The live what-if preview of the fields in the curves window; nullptr without one.
  LivePreview* Preview() const { return preview_; }
  //! The directory shown by the directory list (the working directory).
  QString ShownDirectory() const;

  //! Full path of the data file chosen last (kept when its load failed), UTF-8.
  std::string DataFileName;

 private:
  void BuildFirstPage(QWidget& page, const WindowLook& look);
  void ConnectKeys();
  //! The files read that no export of the curves window may overwrite: the data file loaded
  //! and the user's solvent library.
  void NameFilesRead(OutputClashCheck& files) const;
  //! Puts the constants of the named solvents into their fields and reads the plant inputs;
  //! false, with the message shown, when they are refused.
  bool AcquireSolventsAndPlant(std::optional<PlantInputs>& plant);
  //! The plant inputs that the plant lines of `file` do not give go back to their defaults.
  void ResetUngivenPlantInputs(const LoadedDataFile& file);

  UserMessages& messages_;
  char decimalSeparator_;
  //! The data file applied last: a run never writes its result file over it.
  std::optional<LoadedDataFile> loadedDataFile_;
  DataFileChooser chooseDataFile_;
  CurvesWindow* curves_;
  LivePreview* preview_ = nullptr;
  LineEditFieldTexts fields_;
  //! The shipped solvents and the user's; the page "Solvents and Plant" chooses from them.
  SolventLibrary library_;
  QMetaObject::Connection focusWatch_;  //!< OK looks like the default button while it is one
  ParameterSet parameters_;
  std::unique_ptr<SimulationState> state_;

  QTabWidget* TabbedNotebook1 = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;
  QPushButton* InputData = nullptr;
  QPushButton* OptimiseButton = nullptr;
  DriveComboBox* DriveComboBox1 = nullptr;
  DirectoryListBox* DirectoryListBox1 = nullptr;
  FileListBox* FileListBox1 = nullptr;
};

}  // namespace quillmere
