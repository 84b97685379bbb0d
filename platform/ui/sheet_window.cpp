#include "platform/ui/sheet_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMoveEvent>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "platform/ui/accessible_widgets.h"
#include "platform/ui/dialog_font.h"
#include "platform/ui/dialog_window.h"
#include "platform/ui/focus_outline.h"
#include "platform/ui/screen.h"
#include "platform/ui/window_zoom.h"

namespace {

constexpr double kZoomStep = 1.25;
constexpr double kSmallestZoom = 0.5;

// Escape closes the sheet without OK.
bool ClosedOnEscape(HWND sheet, const QKeyEvent* event) {
  if (event->key() != Qt::Key_Escape) return false;
  SendMessageW(sheet, WM_CLOSE, 0, 0);
  return true;
}

// The handheld's screen: Escape that no control took closes the sheet
// without OK; Tab and Shift+Tab go round the sheet's own order.
class ScreenWidget : public QWidget {
 public:
  explicit ScreenWidget(HWND sheet) : m_sheet(sheet) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (!ClosedOnEscape(m_sheet, event)) QWidget::keyPressEvent(event);
  }
  // Every control's Tab comes here (a child hands it to its parent).
  bool focusNextPrevChild(bool next) override {
    if (auto* sheet = dynamic_cast<SheetWindow*>(UiWindow::FromHandle(m_sheet))) return sheet->MoveFocus(next);
    return QWidget::focusNextPrevChild(next);
  }

 private:
  HWND m_sheet;
};

// The top-level window. It holds the handheld's screen, centred, at the
// window's zoom: the largest at which the screen fits the window, aspect
// kept, 1:1 within half a pixel of the screen's own size. The screen's
// widgets are real child widgets at their zoomed geometry (the sheet and its
// windows place them, window_zoom.h), so at every zoom they paint and scroll
// straight into the window's backing store, draw their focus outline, and
// are seen by screen readers as one window's controls where they are drawn.
// Closing it is closing the sheet without OK.
class SheetFrame : public QWidget {
 public:
  SheetFrame(HWND sheet, QWidget* screen) : m_sheet(sheet), m_screen(screen) { m_screen->setParent(this); }

  // The zoom the window shows the screen at.
  double Zoom() const { return m_zoom; }
  // The handheld screen's size in its own pixels.
  QSize ScreenSize() const { return m_screenSize; }
  void SetScreenSize(QSize size) { m_screenSize = size; }
  QSize SizeAt(double zoom) const {
    return QSize(ZoomedCoordinate(m_screenSize.width(), zoom), ZoomedCoordinate(m_screenSize.height(), zoom));
  }

  // Gives the window the size of the screen at `zoom`, at most what fits the
  // desktop's available area with the window manager's frame, and keeps the
  // frame inside that area; a maximized or full-screen window only zooms
  // anew.
  void ShowAtZoom(double zoom) {
    zoom = std::max(zoom, kSmallestZoom);
    setMinimumSize(SizeAt(kSmallestZoom));
    if (isMaximized() || isFullScreen()) {
      FitScreen();
      return;
    }
    const QMargins frame = FrameMargins();
    QScreen* desktop = screen();
    if (desktop != nullptr) zoom = ZoomThatFits(m_screenSize, zoom, desktop->availableGeometry(), frame, kSmallestZoom);
    const QSize size = SizeAt(zoom);
    resize(size);
    if (desktop != nullptr && isVisible()) {
      move(PlaceInside(QRect(pos(), size.grownBy(frame)), desktop->availableGeometry()));
    }
    // A window shown before the window manager framed it fits again once
    // its frame is known.
    m_fitWithFrame = frame.isNull();
    FitScreen();
  }

  // Shows the screen so that it fills the window, aspect kept.
  void FitScreen() {
    if (m_screenSize.isEmpty() || width() <= 0 || height() <= 0) return;
    double zoom = std::min(static_cast<double>(width()) / m_screenSize.width(),
                           static_cast<double>(height()) / m_screenSize.height());
    // Within half a pixel of the screen's own size the window shows it 1:1.
    if (std::abs(zoom * m_screenSize.width() - m_screenSize.width()) < 0.5 &&
        std::abs(zoom * m_screenSize.height() - m_screenSize.height()) < 0.5) {
      zoom = 1.0;
    }
    if (zoom != m_zoom || zoom != WindowZoom(this)) {
      m_zoom = zoom;
      if (UiWindow* sheet = UiWindow::FromHandle(m_sheet)) sheet->SetZoom(zoom);
    }
    const QSize shown = SizeAt(zoom);
    m_screen->setGeometry((width() - shown.width()) / 2, (height() - shown.height()) / 2, shown.width(),
                          shown.height());
  }

  // The keys go to the screen's controls.
  void FocusScreen() { m_screen->setFocus(); }

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    SendMessageW(m_sheet, WM_CLOSE, 0, 0);
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    FitScreen();
  }
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    if (m_fitWithFrame && !FrameMargins().isNull()) ShowAtZoom(m_zoom);
  }
  void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), kBackground); }
  // Escape that nothing on the screen took closes too.
  void keyPressEvent(QKeyEvent* event) override {
    if (!ClosedOnEscape(m_sheet, event)) QWidget::keyPressEvent(event);
  }

 private:
  static inline const QColor kBackground{0x30, 0x30, 0x30};

  // The window manager's frame around the window; none before it is known.
  QMargins FrameMargins() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                    outer.bottom() - inner.bottom());
  }

  HWND m_sheet;
  QWidget* m_screen;
  QSize m_screenSize;
  double m_zoom = 1.0;
  bool m_fitWithFrame = false;
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
      m_screen(new ScreenWidget(Handle())),
      m_bar(new QWidget(m_screen)),
      m_title(new QLabel(m_bar)),
      m_ok(new QPushButton(QStringLiteral("ok"), m_bar)),
      m_close(new QPushButton(QStringLiteral("\u00D7"), m_bar)),
      m_pageArea(new QWidget(m_screen)),
      m_tabs(new QTabBar(m_screen)),
      m_frame(new SheetFrame(Handle(), m_screen)),
      m_pages(static_cast<std::size_t>(client.PageCount()), nullptr),
      m_sentSizes(m_pages.size(), {-1, -1}) {
  QString title = QString::fromStdWString(Text());
  m_frame->setWindowTitle(title);
  m_screen->setWindowTitle(title);
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
  // Tab reaches ok and close; a click does not take the focus from a control.
  m_ok->setFocusPolicy(Qt::TabFocus);
  m_close->setFocusPolicy(Qt::TabFocus);
  m_ok->setAccessibleName(QStringLiteral("OK"));
  m_close->setAccessibleName(QStringLiteral("Close"));
  m_close->setToolTip(QStringLiteral("Close without OK"));
  HWND self = Handle();
  QObject::connect(m_ok, &QPushButton::clicked, [self] { SendMessageW(self, WM_COMMAND, IDOK, 0); });
  QObject::connect(m_close, &QPushButton::clicked, [self] { SendMessageW(self, WM_CLOSE, 0, 0); });

  m_tabs->setShape(QTabBar::RoundedSouth);
  m_tabs->setExpanding(true);
  // With the focus the tabs change pages with the arrow keys.
  m_tabs->setFocusPolicy(Qt::TabFocus);
  for (int i = 0; i < client.PageCount(); ++i) m_tabs->addTab(QString::fromStdWString(client.PageCaption(i)));
  QObject::connect(m_tabs, &QTabBar::currentChanged,
                   [self](int index) { SendMessageW(self, PSM_SETCURSEL, static_cast<WPARAM>(index), 0); });

  // Keys of the window: Ctrl+R rotates the screen, Ctrl+0 shows it 1:1,
  // Ctrl+plus and Ctrl+minus zoom.
  auto* frame = static_cast<SheetFrame*>(m_frame);
  auto shortcut = [frame](const QKeySequence& keys, auto action) {
    QObject::connect(new QShortcut(keys, frame), &QShortcut::activated, frame, action);
  };
  shortcut(QKeySequence(QStringLiteral("Ctrl+R")), [] { RotateScreen(); });
  shortcut(QKeySequence(QStringLiteral("Ctrl+0")), [frame] {
    frame->showNormal();
    frame->ShowAtZoom(1.0);
  });
  shortcut(QKeySequence::ZoomIn, [frame] { frame->ShowAtZoom(frame->Zoom() * kZoomStep); });
  shortcut(QKeySequence(QStringLiteral("Ctrl+=")), [frame] { frame->ShowAtZoom(frame->Zoom() * kZoomStep); });
  shortcut(QKeySequence::ZoomOut, [frame] { frame->ShowAtZoom(frame->Zoom() / kZoomStep); });
  // Ctrl+Tab and Ctrl+PgDn show the next page, Ctrl+Shift+Tab and Ctrl+PgUp
  // the one before, from anywhere on the sheet: a shortcut comes before the
  // focused control, so a drop-down list does not take Ctrl+PgDn as PgDn.
  for (const char* keys : {"Ctrl+Tab", "Ctrl+PgDown"}) {
    shortcut(QKeySequence(QLatin1String(keys)), [self] { SwitchPage(self, +1); });
  }
  // (Qt matches Ctrl+Shift+Backtab, what X sends, to Ctrl+Shift+Tab.)
  for (const char* keys : {"Ctrl+Shift+Tab", "Ctrl+PgUp"}) {
    shortcut(QKeySequence(QLatin1String(keys)), [self] { SwitchPage(self, -1); });
  }
  new FocusOutline(m_screen);

  // Screen readers see a window (a frame, not a filler) named by its title.
  SetAccessibleRole(m_frame, QAccessible::Window);
  m_frame->setAccessibleName(title);
  AdoptWidget(m_frame);
}

void SheetWindow::SwitchPage(HWND sheet, int step) {
  auto* self = dynamic_cast<SheetWindow*>(UiWindow::FromHandle(sheet));
  if (self == nullptr || self->m_pages.empty()) return;
  const int count = static_cast<int>(self->m_pages.size());
  const int wanted = ((self->m_current + step) % count + count) % count;
  QWidget* focused = QApplication::focusWidget();
  const bool onChrome = focused == self->m_tabs || focused == self->m_ok || focused == self->m_close;
  // As a click on the tab does.
  self->m_tabs->setCurrentIndex(wanted);
  if (UiWindow::FromHandle(sheet) != self || self->m_current != wanted || onChrome) return;
  // The focus goes to the new page's first control, or to the tabs on a
  // page without one.
  const std::vector<QWidget*> order = self->FocusOrder();
  QWidget* first = order.size() > 3 ? order[2] : self->m_tabs;
  first->setFocus(Qt::TabFocusReason);
}

// Title bar (ok, close), the shown page's controls in their template order,
// the tabs.
std::vector<QWidget*> SheetWindow::FocusOrder() const {
  std::vector<QWidget*> order{m_ok, m_close};
  UiWindow* page = m_current >= 0 ? UiWindow::FromHandle(m_pages[static_cast<std::size_t>(m_current)]) : nullptr;
  if (page != nullptr && page->Widget() != nullptr) {
    QWidget* root = page->Widget();
    for (QWidget* w = root->nextInFocusChain(); w != nullptr && w != root; w = w->nextInFocusChain()) {
      if (root->isAncestorOf(w) && w->isVisible() && w->isEnabled() &&
          (w->focusPolicy() & Qt::TabFocus) == Qt::TabFocus && w->focusProxy() == nullptr) {
        order.push_back(w);
      }
    }
  }
  order.push_back(m_tabs);
  return order;
}

bool SheetWindow::MoveFocus(bool next) {
  const std::vector<QWidget*> order = FocusOrder();
  const auto at = std::find(order.begin(), order.end(), QApplication::focusWidget());
  const int count = static_cast<int>(order.size());
  int index = 0;
  if (at != order.end()) {
    index = (static_cast<int>(at - order.begin()) + (next ? 1 : count - 1)) % count;
  } else if (QWidget* focused = QApplication::focusWidget(); focused != nullptr && !focused->isVisible()) {
    // The focused control's page went: the tabs that changed it take over.
    index = count - 1;
  } else if (!next) {
    index = count - 1;
  }
  order[static_cast<std::size_t>(index)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
  return true;
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
  // The first window shows the screen 1:1 (as large as the handheld's on a
  // high-DPI desktop too, whose scaling Qt applies), smaller only when the
  // desktop has not the room.
  static_cast<SheetFrame*>(m_frame)->ShowAtZoom(1.0);
  m_frame->show();
  // The keys go to the screen's controls from the start.
  static_cast<SheetFrame*>(m_frame)->FocusScreen();
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
  const int width = ScreenWidth();
  const int height = ScreenHeight();
  auto* frame = static_cast<SheetFrame*>(m_frame);
  const bool resized = frame->ScreenSize() != QSize(width, height);
  const double zoom = frame->ScreenSize().isEmpty() ? 1.0 : frame->Zoom();
  // The chrome's heights in handheld pixels are those its 1:1 font needs.
  SetChromeFont(DialogFont(ScreenScale()));
  m_barHeight = m_bar->sizeHint().height();
  m_tabsHeight = m_tabs->sizeHint().height();
  SetRect(RECT{0, 0, width, height});
  frame->SetScreenSize(QSize(width, height));
  PlaceWidget();
  // A new screen keeps the window's zoom (a rotated window turns with it).
  if (resized) frame->ShowAtZoom(zoom);
  for (std::size_t i = 0; i < m_pages.size(); ++i) {
    if (IsWindow(m_pages[i])) SizePage(static_cast<int>(i));
  }
}

POINT SheetWindow::ClientOrigin() const { return POINT{0, m_barHeight}; }

SIZE SheetWindow::ClientSize() const {
  const RECT& screen = Rect();
  return SIZE{screen.right, std::max(screen.bottom - m_barHeight - m_tabsHeight, 0)};
}

// The chrome at the zoom: the title bar at the top, the tabs at the bottom,
// the page area between them.
void SheetWindow::PlaceWidget() {
  const double zoom = Zoom();
  SetChromeFont(DialogFontAt(ScreenScale(), zoom));
  const int width = Rect().right;
  const int height = Rect().bottom;
  m_bar->setGeometry(ZoomedRect(QRect(0, 0, width, m_barHeight), QPoint(), zoom));
  m_tabs->setGeometry(ZoomedRect(QRect(0, height - m_tabsHeight, width, m_tabsHeight), QPoint(), zoom));
  const SIZE pages = ClientSize();
  m_pageArea->setGeometry(ZoomedRect(QRect(0, m_barHeight, pages.cx, pages.cy), QPoint(), zoom));
}

void SheetWindow::SetChromeFont(const QFont& font) {
  QFont bold = font;
  bold.setBold(true);
  m_title->setFont(bold);
  m_ok->setFont(font);
  m_close->setFont(font);
  m_tabs->setFont(font);
}

// Puts a page over the whole page area in the screen's font; WM_SIZE when
// its size is new to it.
void SheetWindow::SizePage(int index) {
  HWND page = m_pages[static_cast<std::size_t>(index)];
  auto* dialog = dynamic_cast<DialogWindow*>(UiWindow::FromHandle(page));
  if (dialog == nullptr) return;
  dialog->SetDialogScale(ScreenScale());
  const SIZE area = ClientSize();
  const int width = area.cx;
  const int height = area.cy;
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
