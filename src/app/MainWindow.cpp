#include "app/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "analysis/CaseRun.h"
#include "analysis/plant/PlantReport.h"
#include "analysis/plant/ZoneAirFromExhaust.h"
#include "app/CoatingLinePicture.h"
#include "app/CurvesWindow.h"
#include "app/FieldRows.h"
#include "app/FileBrowser.h"
#include "app/FocusFrame.h"
#include "app/InputPages.h"
#include "app/LivePreview.h"
#include "app/OptimiseDialog.h"
#include "app/PlantPanel.h"
#include "app/SolventPlantPage.h"
#include "base/Error.h"
#include "base/UserMessages.h"
#include "params/FieldTable.h"
#include "report/DataFile.h"
#include "report/PlantDataLines.h"
#include "sim/RunSeries.h"
#include "sim/SimulationState.h"

namespace quillmere {
namespace {

constexpr int kClientWidth = 727;
constexpr int kClientHeight = 545;

// A page of the notebook, covered by one lowered panel on which its groups stand (positions
// within the page are positions on the panel).
QWidget* AddPage(QTabWidget& notebook, const QString& caption) {
  auto* page = new QWidget;
  auto* panel = new QFrame(page);
  panel->setObjectName(QStringLiteral("PagePanel%1").arg(notebook.count() + 1));
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  auto* cover = new QVBoxLayout(page);
  cover->setContentsMargins(0, 0, 0, 0);
  cover->addWidget(panel);
  notebook.addTab(page, caption);
  return panel;
}

QPushButton* Button(QWidget& parent, const char* name, const QString& text, const QFont& font,
                    const QRect& geometry) {
  auto* button = new QPushButton(text, &parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setFont(font);
  button->setGeometry(geometry);
  return button;
}

}  // namespace

TForm1::TForm1(const WindowLook& look, UserMessages& messages, char decimalSeparator,
               DataFileChooser chooseDataFile, CurvesWindow* curves, QWidget* parent)
    : QWidget(parent),
      messages_(messages),
      decimalSeparator_(decimalSeparator),
      chooseDataFile_(std::move(chooseDataFile)),
      curves_(curves),
      state_(std::make_unique<SimulationState>()) {
  // A user's solvent file that does not read leaves the shipped library, and says why.
  try {
    library_ = LoadSolventLibrary();
    for (const std::string& warning : library_.UnreadWarnings()) qWarning("%s", warning.c_str());
  } catch (const Error& error) {
    library_ = SolventLibrary(ShippedSolvents());
    qWarning("%s %s", error.what(), error.Details().c_str());
  }
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Quillmere  (Refined  Version)"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);
  setFixedSize(kClientWidth, kClientHeight);
  setFont(look.Font(kCaptionPixels));
  if (!chooseDataFile_) {
    chooseDataFile_ = [this](const QString& start) { return ChooseDataFile(this, start); };
  }

  TabbedNotebook1 = new QTabWidget(this);
  TabbedNotebook1->setObjectName(QStringLiteral("TabbedNotebook1"));
  TabbedNotebook1->setGeometry(0, 0, kClientWidth, kClientHeight);
  TabbedNotebook1->tabBar()->setFont(look.TabFont());
  TabbedNotebook1->setUsesScrollButtons(false);

  const FieldRowBuilder rows(look, decimalSeparator_, fields_);
  QWidget* first = AddPage(*TabbedNotebook1, QStringLiteral("Zone Cond. (1)"));
  BuildFirstPageFields(*first, rows);
  BuildFirstPage(*first, look);
  BuildZonePage(*AddPage(*TabbedNotebook1, QStringLiteral("Zone Cond. (2)")), 3, rows);
  BuildZonePage(*AddPage(*TabbedNotebook1, QStringLiteral("Zone Cond. (3)")), 9, rows);
  BuildGeneralPage(*AddPage(*TabbedNotebook1, QStringLiteral("General Cond.")), rows);
  BuildSolventPlantPage(*AddPage(*TabbedNotebook1, QStringLiteral("Solvents and Plant")), look,
                        decimalSeparator_, fields_, library_, messages_);
  TabbedNotebook1->setCurrentIndex(0);
  // "Optimise..." stands beside the page tabs, where it covers no field of any page.
  OptimiseButton = new QPushButton(QStringLiteral("Optimise..."), TabbedNotebook1);
  OptimiseButton->setObjectName(QStringLiteral("OptimiseButton"));
  OptimiseButton->setFont(look.TabFont());
  TabbedNotebook1->setCornerWidget(OptimiseButton, Qt::TopRightCorner);
  connect(OptimiseButton, &QPushButton::clicked, this, &TForm1::OptimiseClick);

  // OK is the default button. It stands on the first page, so Enter in a field of that page
  // runs the calculation (on the other pages the button is hidden and Enter does nothing).
  for (QLineEdit* edit : first->findChildren<QLineEdit*>()) {
    connect(edit, &QLineEdit::returnPressed, this, &TForm1::BitBtn1Click);
  }
  ConnectKeys();
  if (curves_ != nullptr) {
    preview_ = new LivePreview(fields_, decimalSeparator_, library_, *curves_, this);
  }
  // Typing starts in the first field.
  fields_.Edit("Edit1")->setFocus();
  CentreOnScreen(*this);
}

void TForm1::ConnectKeys() {
  // OK from every page: Ctrl+Enter (Enter alone runs it on the first page).
  for (const QKeySequence& keys :
       {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}) {
    auto* ok = new QShortcut(keys, this);
    ok->setObjectName(QStringLiteral("OkFromEveryPage"));
    connect(ok, &QShortcut::activated, this, &TForm1::BitBtn1Click);
  }
  BitBtn1->setToolTip(
      QStringLiteral("Run the calculation (Enter on this page, Ctrl+Enter on "
                     "every page)"));
  if (curves_ == nullptr) return;
  // The curves' "Inputs" (Ctrl+I) comes back here; Ctrl+D goes to the curves shown.
  connect(curves_, &CurvesWindow::InputsAsked, this, [this] {
    raise();
    activateWindow();
  });
  // The preview's toggle from the fields too, where one types.
  auto* preview = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
  connect(preview, &QShortcut::activated, this, [this] {
    if (auto* toggle = curves_->findChild<QAction*>(QStringLiteral("LivePreview"))) {
      toggle->toggle();
    }
  });
  auto* toCurves = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
  toCurves->setObjectName(QStringLiteral("ToCurves"));
  connect(toCurves, &QShortcut::activated, this, [this] {
    if (!curves_->HasRun()) return;
    curves_->show();
    curves_->raise();
    curves_->activateWindow();
    preview_->RunNow();  // the fields may have changed while the window was closed
  });
}

TForm1::~TForm1() {
  // The buttons go before the window's last focus change: OK is no longer there to look at.
  disconnect(focusWatch_);
}

void TForm1::BuildFirstPage(QWidget& page, const WindowLook& look) {
  auto* Panel3 = new QFrame(&page);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel3->setLineWidth(2);
  Panel3->setGeometry(353, 12, 361, 139);
  auto* Image1 = new CoatingLinePicture(look.family, Panel3);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->move(3, 3);

  InputData = Button(page, "InputData", QStringLiteral("Input Data File"), look.Font(kButtonPixels),
                     QRect(372, 227, 137, 31));
  SetTextColour(*InputData, colours::kDataButton);
  InputData->setAutoDefault(true);  // Enter presses it when it has the focus, as Space does
  connect(InputData, &QPushButton::clicked, this, &TForm1::InputDataClick);

  DriveComboBox1 = new DriveComboBox(&page);
  DriveComboBox1->setGeometry(371, 273, 159, 21);
  DirectoryListBox1 = new DirectoryListBox(&page);
  DirectoryListBox1->setGeometry(371, 298, 158, 153);
  FileListBox1 = new FileListBox(&page);
  FileListBox1->setGeometry(546, 273, 154, 175);
  FileListBox1->SetDirectory(DirectoryListBox1->Directory());
  DriveComboBox1->ShowDirectory(DirectoryListBox1->Directory());
  connect(DriveComboBox1, &DriveComboBox::DriveChosen, DirectoryListBox1,
          &DirectoryListBox::OpenDirectory);
  connect(DirectoryListBox1, &DirectoryListBox::DirectoryChanged, FileListBox1,
          &FileListBox::SetDirectory);
  connect(DirectoryListBox1, &DirectoryListBox::DirectoryChanged, DriveComboBox1,
          &DriveComboBox::ShowDirectory);

  BitBtn1 = Button(page, "BitBtn1", QStringLiteral("OK"), look.Font(kButtonPixels),
                   QRect(409, 461, 110, 41));
  BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
  BitBtn1->setDefault(true);
  connect(BitBtn1, &QPushButton::clicked, this, &TForm1::BitBtn1Click);

  BitBtn2 = Button(page, "BitBtn2", QStringLiteral("&Close"), look.Font(kButtonPixels),
                   QRect(556, 460, 110, 41));
  BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
  BitBtn2->setAutoDefault(true);
  connect(BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
  // OK looks like the default button only while Enter would press it: when another button has
  // the focus, Enter presses that one, and OK's frame would say otherwise.
  focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    auto* button = qobject_cast<QPushButton*>(now);
    BitBtn1->setDefault(button == nullptr || button == BitBtn1);
  });

  // The style shows no focus around the lists and the default button: a frame does.
  auto* focusFrame = new FocusFrame(page);
  for (QWidget* framed : {static_cast<QWidget*>(DirectoryListBox1),
                          static_cast<QWidget*>(FileListBox1), static_cast<QWidget*>(BitBtn1)}) {
    focusFrame->Watch(*framed);
  }
}

QString TForm1::ShownDirectory() const {
  return DirectoryListBox1->Directory();
}

// The actions run to their end on the user interface thread. An error that ends one (a
// floating-point fault, a failed write) is shown in the error box here, at the action's edge,
// and the window stays usable.

bool TForm1::AcquireSolventsAndPlant(std::optional<PlantInputs>& plant) {
  try {
    ApplySolventNames(library_, fields_, decimalSeparator_);
    plant = AcquirePlantInputs(fields_, decimalSeparator_);
    return true;
  } catch (const Error& error) {
    messages_.ShowMessage(error.what());
    if (!error.Details().empty()) messages_.ShowDetail(error.Details());
    return false;
  }
}

void TForm1::BitBtn1Click() {
  try {
    std::optional<PlantInputs> plant;
    if (!AcquireSolventsAndPlant(plant)) return;
    // The zones whose air follows from their exhaust: their humidity fields get it first.
    std::vector<std::string> airWarnings;
    if (plant) {
      airWarnings = ZoneAirFromExhaust(fields_, decimalSeparator_, *plant,
                                       PlantSolventsOf(library_, fields_), parameters_, *state_)
                        .Warnings;
    }
    CaseRequest request = PlantCaseRequest(library_, fields_, plant);
    request.ResultFile.emplace().DataFile = loadedDataFile_;
    // The curves of the zones computed, read before the next run overwrites the state.
    request.Series = curves_ != nullptr;
    CaseResult result =
        RunCase(fields_, messages_, decimalSeparator_, parameters_, *state_, request);
    if (curves_ != nullptr && result.Marched()) {
      PlantShown shown =
          PlantShownOf(library_, fields_, plant.has_value(), result, std::move(airWarnings));
      std::optional<TraceBand> band;
      if (curves_->Uncertainty() && result.Finished()) {
        band = TraceBandOf(fields_, decimalSeparator_, *curves_->Uncertainty(), *result.Series);
      }
      curves_->ShowRun(std::move(*result.Series), InputsOf(fields_), std::move(shown));
      if (band) curves_->ShowBand(std::move(*band));
      if (curves_->StepErrorWanted() && result.Finished()) {
        curves_->ShowStepError(
            StepErrorOfRun(fields_, decimalSeparator_, parameters_, *state_, result.Record));
      }
      // The run just OK'd is the one to look at: its window takes the keyboard.
      curves_->raise();
      curves_->activateWindow();
    }
  } catch (const std::exception& error) {
    messages_.ShowError(ErrorBoxText(error.what()));
  }
  // The fields the run put its constants into are the run's own: nothing to preview.
  if (preview_ != nullptr) preview_->Cancel();
  FileListBox1->Refresh();  // the result file, new or partly written, shows in the list
}

void TForm1::InputDataClick() {
  try {
    const std::optional<QString> chosen = chooseDataFile_(ShownDirectory());
    if (!chosen) {
      messages_.ShowMessage(kSelectOneDataFile);
      return;
    }
    DataFileName = chosen->toStdString();
    if (Outcome<LoadedDataFile> loaded = LoadDataFile(DataFileName, fields_, messages_);
        loaded.Ok()) {
      loadedDataFile_ = std::move(loaded.Value());
      ResetUngivenPlantInputs(*loadedDataFile_);
      // A plant line the file holds but no input takes is said, as the command line says it,
      // and so are values that seem not to read (UTF-16 text, the other decimal separator).
      std::vector<std::string> warnings = loadedDataFile_->PlantLineWarnings;
      if (std::string reading = DataFileReadingWarning(loadedDataFile_->Name,
                                                       loadedDataFile_->Lines, decimalSeparator_);
          !reading.empty()) {
        warnings.push_back(std::move(reading));
      }
      if (!warnings.empty()) {
        std::string text;
        for (const std::string& warning : warnings) text += (text.empty() ? "" : "\n") + warning;
        messages_.ShowMessage(text);
      }
      // The solvents the file names: their fixed constants, which no line of it can give.
      std::optional<PlantInputs> plant;
      AcquireSolventsAndPlant(plant);
    }
  } catch (const std::exception& error) {
    messages_.ShowError(ErrorBoxText(error.what()));
  }
}

void TForm1::ResetUngivenPlantInputs(const LoadedDataFile& file) {
  // A data file governs the plant inputs as the command line reads it, over the defaults: an
  // input its plant lines do not give (all of them, for a file of 119 lines) is the default,
  // not what the file loaded before left. The lines are applied again over the defaults;
  // their warnings were given with the load.
  for (const PlantFieldSpec& field : PlantFields()) {
    fields_.SetText(field.name, PlantDefaultText(field, decimalSeparator_));
  }
  ApplyPlantDataLines(file.Lines, file.Name, fields_);
}

void TForm1::OptimiseClick() {
  // One dialog, kept with its last search, shown without blocking the window.
  auto* dialog = findChild<OptimiseDialog*>(QStringLiteral("OptimiseDialog"));
  if (dialog == nullptr) {
    dialog = new OptimiseDialog(fields_, decimalSeparator_,
                                std::make_shared<const SolventLibrary>(library_), this);
    dialog->setWindowFlag(Qt::Window);
  }
  dialog->show();
  dialog->raise();
}

void TForm1::BitBtn2Click() {
  close();
}

}  // namespace quillmere
