// SPDX-License-Identifier: MIT
#include "frontends/qt/qt_platform.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QStorageInfo>
#include <QTreeView>
#include <algorithm>
#include <exception>

#include "frontends/qt/help_view.h"
#include "frontends/qt/key_filter.h"
#include "frontends/qt/main_window_view.h"
#include "frontends/qt/new_key_dialog.h"
#include "frontends/qt/setup_view.h"
#include "frontends/qt/text_conversion.h"
#include "platform/clock.h"
#include "state/program_exit.h"

namespace marrowlock {

namespace {
const QString kTitle = QStringLiteral("marlk");
// Long commands ask for pending events after every small piece of work; between
// two looks a few milliseconds are enough to keep the window responsive.
constexpr qint64 kEventSpacingMs = 5;
}  // namespace

QtPlatform::QtPlatform() = default;

QtPlatform::~QtPlatform() {
  if (key_filter_) qApp->removeEventFilter(key_filter_.get());
  closing_ = true;
  if (main_window_) main_window_->set_closing(true);
  if (help_window_) help_window_->set_closing(true);
  if (setup_dialog_) setup_dialog_->set_closing(true);
}

void QtPlatform::Attach(ProgramState& s) {
  state_ = &s;
  // The program ends through ExitProgram only, never because a window closed.
  QApplication::setQuitOnLastWindowClosed(false);
  main_window_ = std::make_unique<MainWindowView>(*this, s);
  help_window_ = std::make_unique<HelpView>(*this, s);
  setup_dialog_ = std::make_unique<SetupView>(*this, s);
  key_filter_ = std::make_unique<KeyFilter>(*this, s, main_window_.get(), help_window_.get(),
                                            setup_dialog_.get());
  qApp->installEventFilter(key_filter_.get());
  since_events_.start();
}

void QtPlatform::RunHandler(const std::function<void()>& handler) {
  // The program is ending, or the state is already gone: start nothing new.
  if (exit_status_ || closing_) return;
  try {
    handler();
    Redraw();
  } catch (const ProgramExit& e) {
    exit_status_ = e.status;
    CloseWindows();
    QCoreApplication::exit(e.status);
  } catch (const std::exception& e) {
    MessageBox(e.what());
    Redraw();
  }
}

void QtPlatform::BringUpHelp() {
  if (help_window_ && help_window_->isVisible()) {
    help_window_->raise();
    help_window_->activateWindow();
  }
}

void QtPlatform::RethrowPendingExit() const {
  // A handler that ran nested inside a command ended the program: unwind the command.
  if (exit_status_) throw ProgramExit{*exit_status_};
}

void QtPlatform::SetNextInputAnswer(const std::string& answer) {
  scripted_ = true;
  input_answers_.push_back(answer);
}

void QtPlatform::SetNextFileAnswer(std::optional<std::string> path) {
  scripted_ = true;
  file_answers_.push_back(std::move(path));
}

QWidget* QtPlatform::DialogParent() const {
  if (QWidget* active = QApplication::activeWindow()) return active;
  if (main_window_ && main_window_->isVisible()) return main_window_.get();
  return nullptr;
}

void QtPlatform::MessageBox(const std::string& text) {
  messages.push_back(text);
  if (scripted_) return;
  QMessageBox box(QMessageBox::NoIcon, kTitle, CaptionText(text), QMessageBox::Ok, DialogParent());
  box.exec();
}

std::string QtPlatform::InputBox(const std::string& prompt) {
  if (scripted_) {
    if (input_answers_.empty()) return "";
    std::string answer = input_answers_.front();
    input_answers_.pop_front();
    return answer;
  }
  bool ok = false;
  QString answer = QInputDialog::getText(DialogParent(), kTitle, CaptionText(prompt),
                                         QLineEdit::Normal, QString(), &ok);
  // The answers name files, so they take the file system's encoding.
  return ok ? PathBytes(answer) : std::string();
}

void FitFileDialog(QFileDialog& dialog) {
  // Qt's own size leaves so little room that Size and Date Modified are cut off;
  // this has room for a long name and all four columns, each as wide as its heading
  // and a date and time.
  const QFontMetrics metrics = dialog.fontMetrics();
  const int column = metrics.averageCharWidth();
  dialog.resize(std::max(dialog.width(), 118 * column), std::max(dialog.height(), 34 * column));
  auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (!tree) return;
  QHeaderView* header = tree->header();
  const QString sample_date =
      QLocale().toString(QDateTime(QDate(2000, 12, 28), QTime(22, 59)), QLocale::ShortFormat);
  for (int i = 1; i < header->count(); ++i) {
    int width = std::max(header->sectionSize(i), header->sectionSizeHint(i) + column);
    if (i == header->count() - 1)
      width = std::max(width, metrics.horizontalAdvance(sample_date) + 3 * column);
    header->resizeSection(i, width);
  }
}

std::optional<std::string> QtPlatform::OpenFileDialog(const FileDialogRequest& request) {
  file_requests.push_back(request);
  if (scripted_) {
    if (file_answers_.empty()) return std::nullopt;
    std::optional<std::string> answer = file_answers_.front();
    file_answers_.pop_front();
    return answer;
  }
  QFileDialog dialog(DialogParent(), CaptionText(request.Title),
                     PathText(request.InitialDirectory));
  // Qt's own dialog: it leaves the working directory alone and takes the filters as given.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  FitFileDialog(dialog);
  QStringList filters = ToNameFilters(request.Filter);
  if (!filters.isEmpty()) {
    dialog.setNameFilters(filters);
    int index = std::clamp(request.FilterIndex, 1, static_cast<int>(filters.size()));
    dialog.selectNameFilter(filters[index - 1]);
  }
  if (request.ForSaving) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (!request.FileName.empty()) dialog.selectFile(PathText(request.FileName));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return PathBytes(QFileInfo(dialog.selectedFiles().first()).absoluteFilePath());
}

std::optional<NewKeyAnswer> QtPlatform::AskNewKey(const NewKeyRequest& request) {
  // Scripted answers come as the two input boxes' answers.
  if (scripted_) return Platform::AskNewKey(request);
  NewKeyDialog dialog(DialogParent(), request);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Answer();
}

void QtPlatform::Redraw() {
  if (!state_ || closing_) return;
  main_window_->Draw();
  help_window_->Draw();
  setup_dialog_->Draw();
}

void QtPlatform::ProcessEvents() {
  RethrowPendingExit();
  if (since_events_.isValid() && since_events_.elapsed() < kEventSpacingMs) return;
  QCoreApplication::processEvents();
  since_events_.restart();
  RethrowPendingExit();
}

void QtPlatform::WaitForEvents() {
  RethrowPendingExit();
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  since_events_.restart();
  RethrowPendingExit();
}

void QtPlatform::CloseWindows() {
  closing_ = true;
  if (main_window_) {
    main_window_->set_closing(true);
    main_window_->close();
  }
  if (help_window_) {
    help_window_->set_closing(true);
    help_window_->close();
  }
  if (setup_dialog_) {
    setup_dialog_->set_closing(true);
    setup_dialog_->close();
  }
}

std::vector<std::string> UserPlaces(const std::string& home,
                                    const std::vector<std::string>& mount_points) {
  std::vector<std::string> places = {"/"};
  if (!home.empty() && home != "/") places.push_back(home);
  std::vector<std::string> media;
  for (const std::string& root : mount_points) {
    // Removable media are mounted here by the desktop (udisks) or by hand.
    bool removable = root.starts_with("/media/") || root.starts_with("/run/media/");
    if (removable && std::find(media.begin(), media.end(), root) == media.end()) {
      media.push_back(root);
    }
  }
  std::sort(media.begin(), media.end());
  places.insert(places.end(), media.begin(), media.end());
  return places;
}

std::vector<std::string> QtPlatform::ListDrives() {
  std::vector<std::string> roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady()) roots.push_back(PathBytes(volume.rootPath()));
  }
  return UserPlaces(PathBytes(QDir::homePath()), roots);
}

// Read once per run of blocks: QTime::currentTime looks at the time zone's file on
// the disk at every call, which cost a decryption of 512 MiB in the window a second.
double QtPlatform::SecondsSinceMidnight() { return LocalSecondsSinceMidnight(); }

}  // namespace marrowlock
