#include "platform/ui/sheet_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QTabBar>
#include <QWidget>
#include <algorithm>
#include <deque>

#include "platform/ui/dialog_font.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/screen.h"

namespace {

// The top-level widget: closing it is closing the sheet without OK, and a
// size the user gives it is the screen's new size. The window system may
// confirm the sizes the sheet asked for late (on X11); those are not taken
// for the user's.
class SheetFrame : public QWidget {
 public:
  explicit SheetFrame(HWND sheet) : m_sheet(sheet) {}

  void ResizeTo(int width, int height) {
    if (m_asked.empty() || m_asked.back() != QSize(width, height)) m_asked.push_back(QSize(width, height));
    resize(width, height);
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    SendMessageW(m_sheet, WM_CLOSE, 0, 0);
  }
  void keyPressEvent(QKeyEvent* event) override {
    if (event->key() == Qt::Key_Escape) {
      SendMessageW(m_sheet, WM_CLOSE, 0, 0);
      return;
    }
    QWidget::keyPressEvent(event);
  }
  void resizeEvent(QResizeEvent* event) override {
    if (!IsWindow(m_sheet)) return;
    auto asked = std::find(m_asked.begin(), m_asked.end(), event->size());
    if (asked != m_asked.end()) {
      m_asked.erase(m_asked.begin(), asked + 1);
      return;
    }
    if (width() != ScreenWidth() || height() != ScreenHeight()) SetScreenSize(width(), height());
  }

 private:
  HWND m_sheet;
  std::deque<QSize> m_asked;
};

std::wstring TitleOf(const std::wstring& caption, UiWindow* owner) {
  if (!caption.empty()) return caption;
  if (owner != nullptr && !owner->Text().empty()) return owner->Text();
  return QCoreApplication::applicationName().toStdWString();
}

}  // namespace

SheetWindow::SheetWindow(PropertySheetClient& client, UiWindow* owner, const std::wstring& caption)
    : UiWindow(Kind::Sheet, owner, 0, WS_POPUP | WS_CAPTION, TitleOf(caption, owner)),
      m_client(client),
      m_frame(new SheetFrame(Handle())),
      m_bar(new QWidget(m_frame)),
      m_title(new QLabel(m_bar)),
      m_ok(new QPushButton(QStringLiteral("ok"), m_bar)),
      m_close(new QPushButton(QStringLiteral("\u00D7"), m_bar)),
      m_pageArea(new QWidget(m_frame)),
      m_tabs(new QTabBar(m_frame)),
      m_pages(static_cast<std::size_t>(client.PageCount()), nullptr),
      m_sentSizes(m_pages.size(), {-1, -1}) {
  QString title = QString::fromStdWString(Text());
  m_frame->setWindowTitle(title);
  m_frame->setMinimumSize(64, 64);
  m_title->setText(title);

  // The handheld's navigation bar: caption on the left, ok and close on the right.
  m_bar->setObjectName(QStringLiteral("bar"));
  m_bar->setAttribute(Qt::WA_StyledBackground);
  m_bar->setStyleSheet(QStringLiteral(
      "#bar { background: #0b3d91; } QLabel { color: white; }"
      "QPushButton { color: white; background: transparent; border: 1px solid #7f9fd6; padding: 0 6px; }"));
  auto* row = new QHBoxLayout(m_bar);
  row->setContentsMargins(4, 1, 2, 1);
  row->setSpacing(4);
  row->addWidget(m_title, 1);
  row->addWidget(m_ok);
  row->addWidget(m_close);
  m_ok->setFocusPolicy(Qt::NoFocus);
  m_close->setFocusPolicy(Qt::NoFocus);
  m_close->setToolTip(QStringLiteral("Close without OK"));
  HWND self = Handle();
  QObject::connect(m_ok, &QPushButton::clicked, [self] { SendMessageW(self, WM_COMMAND, IDOK, 0); });
  QObject::connect(m_close, &QPushButton::clicked, [self] { SendMessageW(self, WM_CLOSE, 0, 0); });

  m_tabs->setShape(QTabBar::RoundedSouth);
  m_tabs->setExpanding(true);
  m_tabs->setFocusPolicy(Qt::NoFocus);
  for (int i = 0; i < client.PageCount(); ++i) m_tabs->addTab(QString::fromStdWString(client.PageCaption(i)));
  QObject::connect(m_tabs, &QTabBar::currentChanged,
                   [self](int index) { SendMessageW(self, PSM_SETCURSEL, static_cast<WPARAM>(index), 0); });

  auto* rotate = new QShortcut(QKeySequence(QStringLiteral("Ctrl+R")), m_frame);
  QObject::connect(rotate, &QShortcut::activated, [] { RotateScreen(); });
  AdoptWidget(m_frame);
}

SheetWindow::~SheetWindow() { SetScreenListener({}); }

LRESULT SheetWindow::DefProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) Ok();
      return 0;
    case WM_CLOSE:
      Finish(IDCANCEL);
      return 0;
    case WM_DESTROY:
      Finish(IDCANCEL);
      return 0;
    case PSM_SETCURSEL:
      return Activate(static_cast<int>(wParam)) ? TRUE : FALSE;
    case PSM_GETCURRENTPAGEHWND:
      return m_current >= 0 ? reinterpret_cast<LRESULT>(m_pages[static_cast<std::size_t>(m_current)]) : 0;
    default:
      return UiWindow::DefProc(message, wParam, lParam);
  }
}

QWidget* SheetWindow::ChildContainer() const { return m_pageArea; }

void SheetWindow::Start(int startPage, QEventLoop& loop) {
  m_loop = &loop;
  HWND self = Handle();
  SetScreenListener([self] {
    if (auto* sheet = dynamic_cast<SheetWindow*>(UiWindow::FromHandle(self))) sheet->FollowScreen();
  });
  FollowScreen();
  m_frame->show();
  if (!Activate(startPage < 0 || startPage >= static_cast<int>(m_pages.size()) ? 0 : startPage)) {
    Activate(0);
  }
}

std::vector<HWND> SheetWindow::CreatedPages() const {
  std::vector<HWND> created;
  for (HWND page : m_pages) {
    if (IsWindow(page)) created.push_back(page);
  }
  return created;
}

void SheetWindow::FollowScreen() {
  int width = ScreenWidth();
  int height = ScreenHeight();
  QFont font = DialogFont(ScreenScale());
  QFont bold = font;
  bold.setBold(true);
  m_title->setFont(bold);
  m_ok->setFont(font);
  m_close->setFont(font);
  m_tabs->setFont(font);
  if (m_frame->width() != width || m_frame->height() != height) {
    static_cast<SheetFrame*>(m_frame)->ResizeTo(width, height);
  }
  int barHeight = m_bar->sizeHint().height();
  int tabsHeight = m_tabs->sizeHint().height();
  m_bar->setGeometry(0, 0, width, barHeight);
  m_tabs->setGeometry(0, height - tabsHeight, width, tabsHeight);
  m_pageArea->setGeometry(0, barHeight, width, std::max(height - barHeight - tabsHeight, 0));
  for (std::size_t i = 0; i < m_pages.size(); ++i) {
    if (IsWindow(m_pages[i])) SizePage(static_cast<int>(i));
  }
}

// Puts a page over the whole page area in the screen's font; WM_SIZE when
// its size is new to it.
void SheetWindow::SizePage(int index) {
  HWND page = m_pages[static_cast<std::size_t>(index)];
  auto* dialog = dynamic_cast<DialogWindow*>(UiWindow::FromHandle(page));
  if (dialog == nullptr) return;
  dialog->SetDialogFont(DialogFont(ScreenScale()));
  int width = m_pageArea->width();
  int height = m_pageArea->height();
  dialog->Move(0, 0, width, height);
  auto& sent = m_sentSizes[static_cast<std::size_t>(index)];
  if (sent == std::make_pair(width, height)) return;
  sent = {width, height};
  SendMessageW(page, WM_SIZE, SIZE_RESTORED,
               static_cast<LPARAM>(MAKELONG(static_cast<WORD>(width), static_cast<WORD>(height))));
}

bool SheetWindow::Activate(int index) {
  if (index < 0 || index >= static_cast<int>(m_pages.size())) return false;
  auto showTab = [this](int tab) {
    QSignalBlocker block(m_tabs);
    m_tabs->setCurrentIndex(tab);
  };
  if (index == m_current) {
    showTab(index);
    return true;
  }
  if (m_current >= 0 && !m_client.PageActivated(m_current, false)) {
    showTab(m_current);
    return false;
  }
  HWND& page = m_pages[static_cast<std::size_t>(index)];
  if (!IsWindow(page)) {
    page = m_client.CreatePage(index, Handle());
    if (page == nullptr) {
      showTab(m_current);
      return false;
    }
    m_sentSizes[static_cast<std::size_t>(index)] = {-1, -1};
    SizePage(index);
  }
  if (m_current >= 0) {
    if (UiWindow* old = UiWindow::FromHandle(m_pages[static_cast<std::size_t>(m_current)])) old->Widget()->hide();
  }
  m_current = index;
  showTab(index);
  m_client.PageActivated(index, true);
  if (UiWindow* shown = UiWindow::FromHandle(page)) shown->Widget()->show();
  return true;
}

void SheetWindow::Ok() {
  if (!m_client.ApplyPages()) return;
  Finish(IDOK);
}

void SheetWindow::Finish(int result) {
  if (m_finished) return;
  m_finished = true;
  m_result = result;
  if (m_loop != nullptr) m_loop->exit(result);
  m_loop = nullptr;
}

namespace {

std::vector<HWND>& RunningSheets() {
  static std::vector<HWND> sheets;
  return sheets;
}

}  // namespace

HWND RunningPropertySheet() {
  for (auto it = RunningSheets().rbegin(); it != RunningSheets().rend(); ++it) {
    if (IsWindow(*it)) return *it;
  }
  return nullptr;
}

INT_PTR RunPropertySheet(PropertySheetClient& client, HWND owner, LPCWSTR caption, int startPage) {
  UiWindow* ownerWindow = UiWindow::FromHandle(owner);
  auto* sheet = new SheetWindow(client, ownerWindow, caption != nullptr ? caption : L"");
  HWND handle = sheet->Handle();
  client.SheetWindowChanged(handle);
  bool ownerEnabled = ownerWindow != nullptr && ownerWindow->Enabled();
  if (ownerEnabled) EnableWindow(owner, FALSE);

  QEventLoop loop;
  RunningSheets().push_back(handle);
  sheet->Start(startPage, loop);
  auto* started = dynamic_cast<SheetWindow*>(UiWindow::FromHandle(handle));
  int result = started == nullptr ? IDCANCEL : started->Finished() ? started->Result() : loop.exec();

  // The pages go first (WM_DESTROY to each, in tab order), then the sheet.
  if (auto* running = dynamic_cast<SheetWindow*>(UiWindow::FromHandle(handle))) {
    for (HWND page : running->CreatedPages()) DestroyWindow(page);
  }
  client.SheetWindowChanged(nullptr);
  DestroyWindow(handle);
  std::erase(RunningSheets(), handle);
  if (ownerEnabled) EnableWindow(owner, TRUE);
  return result;
}

PropertySheetClient::~PropertySheetClient() = default;
