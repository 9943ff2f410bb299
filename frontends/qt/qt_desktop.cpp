#include "frontends/qt/qt_desktop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QUrl>
#include <mutex>

#include "frontends/qt/form_window.h"
#include "frontends/qt/hot_keys_x11.h"
#include "frontends/qt/qt_convert.h"
#include "frontends/qt/session_end.h"
#include "frontends/qt/sleep_watcher.h"
#include "frontends/qt/tray_binding.h"
#include "i18n/gettext.h"
#include "toolkit/form.h"
#include "toolkit/tray_icon.h"
#include "ui/main_form.h"

namespace lantervo::qt {

// Workers wake the loop through this; it outlives the desktop for a worker still holding it.
struct QtDesktop::Waker {
  std::mutex lock;
  QObject* target = nullptr;
  HandOffQueue* queue = nullptr;

  void Wake() {
    std::lock_guard guard(lock);
    if (!target) return;
    HandOffQueue* q = queue;
    QMetaObject::invokeMethod(
        target, [q] { q->Drain(); }, Qt::QueuedConnection);
  }
};

namespace {

// Keys typed in a window go to the window's action shortcuts before the focused control sees
// them; a window runs its own shortcuts only, only while it has the keyboard, and never while
// a dialog has disabled it or a message box blocks it.
class ShortCutFilter : public QObject {
 public:
  explicit ShortCutFilter(Desktop& desktop) : desktop_(desktop) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    QWidget* focus = QApplication::focusWidget();
    // Once per key: at its first receiver, not again while it climbs to the parents.
    if (focus ? widget != focus : !widget->isWindow()) return false;
    auto* window = dynamic_cast<FormWindow*>(widget->window());
    if (!window || !window->Alive() || !window->isEnabled()) return false;
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->window() != window)
      return false;
    auto& key = static_cast<QKeyEvent&>(*event);
    const std::uint16_t vk = VirtualKey(key);
    if (vk == 0) return false;
    bool ran = false;
    desktop_.Dispatch([&] { ran = window->Form().IsShortCut(vk, Shift(key)); });
    return ran;
  }

 private:
  Desktop& desktop_;
};

}  // namespace

QtDesktop::QtDesktop() : context_(std::make_unique<QObject>()), waker_(std::make_shared<Waker>()) {
  auto* filter = new ShortCutFilter(*this);
  filter->setParent(context_.get());
  qApp->installEventFilter(filter);
  HandOffs().BindToCurrentThread();
  // The windows are laid out for Tahoma; where it is missing, faces of about its width.
  QFont::insertSubstitutions(
      QStringLiteral("Tahoma"),
      {QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("Liberation Sans Narrow"),
       QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  waker_->target = context_.get();
  waker_->queue = &HandOffs();
  HandOffs().SetWakeUp([waker = waker_] { waker->Wake(); });
}

QtDesktop::~QtDesktop() {
  {
    std::lock_guard guard(waker_->lock);
    waker_->target = nullptr;
  }
  HandOffs().SetWakeUp({});
  for (auto& entry : forms_) {
    entry->subscription.Reset();
    delete entry->window;
  }
  forms_.clear();
  trays_.clear();
  x11HotKeys_.reset();
}

QtDesktop::FormEntry* QtDesktop::EntryOf(const TForm& form) const {
  for (auto& entry : forms_)
    if (entry->form == &form) return entry.get();
  return nullptr;
}

FormWindow* QtDesktop::ExistingWindowOf(const TForm& form) const {
  FormEntry* entry = EntryOf(form);
  return entry ? entry->window : nullptr;
}

FormWindow& QtDesktop::WindowOf(TForm& form) {
  FormEntry* entry = EntryOf(form);
  if (!entry) {
    FormCreated(form);
    entry = EntryOf(form);
  }
  if (!entry->window) {
    entry->window = BuildFormWindow(form);
    if (!form.WindowClassName().empty()) ClaimInstance(form);
    // The other windows belong to the main window, as on Windows: the window manager keeps them
    // above it, so a click on the disabled main window cannot bury an open dialog.
    if (TForm* main = MainForm(); main && main != &form) entry->window->SetOwner(&WindowOf(*main));
  }
  return *entry->window;
}

void QtDesktop::FormCreated(TForm& form) {
  // The form is still being made: its window is built when it is first needed.
  auto entry = std::make_unique<FormEntry>();
  entry->form = &form;
  entry->subscription = form.Subscribe([this, &form](Persistent&, std::string_view property) {
    if (property == prop::Visible && form.Visible() && !ExistingWindowOf(form)) WindowOf(form);
  });
  forms_.push_back(std::move(entry));
}

void QtDesktop::FormDestroyed(TForm& form) {
  std::erase_if(hotKeys_, [&](const HotKey& h) {
    if (h.window != &form) return false;
    if (h.grabbed && x11HotKeys_) x11HotKeys_->Ungrab(h.modifiers, h.virtualKey);
    return true;
  });
  // The window of the class is gone: a later start no longer finds this instance.
  if (!form.WindowClassName().empty() && ExistingWindowOf(form)) instance_.Release();
  for (auto it = forms_.begin(); it != forms_.end(); ++it) {
    if ((*it)->form != &form) continue;
    (*it)->subscription.Reset();
    delete (*it)->window;
    forms_.erase(it);
    return;
  }
}

void QtDesktop::ClaimInstance(TForm& form) {
  instance_.Claim(InstanceName(form.WindowClassName()), [this, &form, alive = MakeWeak(form)] {
    // A later start ends silently; where there is no notification area to bring the hidden
    // window back, it comes back as from a double click on the tray icon.
    if (!alive || form.Visible() || QSystemTrayIcon::isSystemTrayAvailable()) return;
    for (Component* component : form.Components())
      if (auto* icon = dynamic_cast<TTrayIcon*>(component)) {
        Dispatch([icon] { icon->DblClick(); });
        return;
      }
  });
}

QWidget* QtDesktop::OwnerWidget(const TForm* owner) const {
  if (!owner) return nullptr;
  FormWindow* window = ExistingWindowOf(*owner);
  return window && window->isVisible() ? window : nullptr;
}

MessageBoxAnswer QtDesktop::ShowMessageBox(const TForm* owner, const std::string& caption,
                                           const std::string& text, MessageBoxIcon icon,
                                           MessageBoxButtons buttons) {
  QMessageBox::Icon qicon = QMessageBox::NoIcon;
  switch (icon) {
    case MessageBoxIcon::Error:
      qicon = QMessageBox::Critical;
      break;
    case MessageBoxIcon::Question:
      qicon = QMessageBox::Question;
      break;
    case MessageBoxIcon::Warning:
      qicon = QMessageBox::Warning;
      break;
    case MessageBoxIcon::Information:
      qicon = QMessageBox::Information;
      break;
    case MessageBoxIcon::None:
      break;
  }
  using B = QMessageBox::StandardButton;
  std::vector<std::pair<B, MessageBoxAnswer>> choices;
  switch (buttons) {
    case MessageBoxButtons::Ok:
      choices = {{B::Ok, MessageBoxAnswer::Ok}};
      break;
    case MessageBoxButtons::OkCancel:
      choices = {{B::Ok, MessageBoxAnswer::Ok}, {B::Cancel, MessageBoxAnswer::Cancel}};
      break;
    case MessageBoxButtons::AbortRetryIgnore:
      choices = {{B::Abort, MessageBoxAnswer::Abort},
                 {B::Retry, MessageBoxAnswer::Retry},
                 {B::Ignore, MessageBoxAnswer::Ignore}};
      break;
    case MessageBoxButtons::YesNoCancel:
      choices = {{B::Yes, MessageBoxAnswer::Yes},
                 {B::No, MessageBoxAnswer::No},
                 {B::Cancel, MessageBoxAnswer::Cancel}};
      break;
    case MessageBoxButtons::YesNo:
      choices = {{B::Yes, MessageBoxAnswer::Yes}, {B::No, MessageBoxAnswer::No}};
      break;
    case MessageBoxButtons::RetryCancel:
      choices = {{B::Retry, MessageBoxAnswer::Retry}, {B::Cancel, MessageBoxAnswer::Cancel}};
      break;
  }
  QMessageBox box(qicon, DisplayLines(caption), DisplayLines(text), QMessageBox::NoButton,
                  OwnerWidget(owner));
  box.setTextFormat(Qt::PlainText);
  QMessageBox::StandardButtons set;
  for (const auto& [button, answer] : choices) set |= button;
  box.setStandardButtons(set);
  box.setDefaultButton(choices.front().first);
  // Hand-offs reach the loop as queued calls, so they keep running inside the box's loop.
  box.exec();
  const auto clicked = box.standardButton(box.clickedButton());
  for (const auto& [button, answer] : choices)
    if (button == clicked) return answer;
  // Closed without a button: Escape's answer, Cancel where there is one.
  for (const auto& [button, answer] : choices)
    if (answer == MessageBoxAnswer::Cancel) return answer;
  return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::None;
}

int QtDesktop::CaptionWidth(const TFont& font, const std::string& caption) {
  // As the labels and buttons draw it: the accelerator marks resolved, the font as mapped.
  return QFontMetrics(ToQFont(font)).horizontalAdvance(LabelCaption(caption));
}

bool QtDesktop::ShellOpen(const TForm* owner, const std::string& target) {
  const QString text = ToQt(target);
  QUrl url(text);
  // A path (with or without a drive-less scheme) opens as a local file.
  if (url.scheme().size() < 2) url = QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath());
  return QDesktopServices::openUrl(url);
}

std::uint16_t QtDesktop::AddGlobalAtom(const std::string& name) {
  for (const auto& [existing, atom] : atoms_)
    if (SameText(existing, name)) return atom;
  const std::uint16_t atom = nextAtom_++;
  atoms_[name] = atom;
  return atom;
}

void QtDesktop::LogOnce(TForm& window, const std::string& text) {
  if (hotKeyNoticeLogged_) return;
  hotKeyNoticeLogged_ = true;
  if (auto* main = dynamic_cast<TMainForm*>(&window))
    Dispatch([&] { main->AddLog(TranslateText(text), "system"); });
}

bool QtDesktop::RegisterHotKey(TForm& window, int id, std::uint32_t modifiers,
                               std::uint32_t virtualKey) {
  for (const HotKey& h : hotKeys_)
    if ((h.window == &window && h.id == id) ||
        (h.modifiers == modifiers && h.virtualKey == virtualKey))
      return false;
  if (!x11Tried_) {
    x11Tried_ = true;
    x11HotKeys_ =
        X11HotKeys::Create([this](std::uint32_t m, std::uint32_t k) { PressHotKey(m, k); });
  }
  if (!x11HotKeys_) {
    LogOnce(window,
            "This desktop session offers no global hot keys; show and hide the window from "
            "the tray icon or the menu");
    return false;
  }
  if (!x11HotKeys_->Grab(modifiers, virtualKey)) return false;
  hotKeys_.push_back({&window, id, modifiers, virtualKey, true});
  return true;
}

bool QtDesktop::UnregisterHotKey(TForm& window, int id) {
  auto it = std::find_if(hotKeys_.begin(), hotKeys_.end(),
                         [&](const HotKey& h) { return h.window == &window && h.id == id; });
  if (it == hotKeys_.end()) return false;
  if (it->grabbed && x11HotKeys_) x11HotKeys_->Ungrab(it->modifiers, it->virtualKey);
  hotKeys_.erase(it);
  return true;
}

bool QtDesktop::PressHotKey(std::uint32_t modifiers, std::uint32_t virtualKey) {
  for (const HotKey& h : hotKeys_) {
    if (h.modifiers != modifiers || h.virtualKey != virtualKey) continue;
    TForm* window = h.window;
    const int id = h.id;
    Dispatch([&] { window->HotKey(id); });
    return true;
  }
  return false;
}

bool QtDesktop::FindTopLevelWindow(const std::string& className) {
  for (const auto& entry : forms_)
    if (!entry->form->WindowClassName().empty() &&
        SameText(entry->form->WindowClassName(), className))
      return true;
  return InstanceRunning(InstanceName(className));
}

void QtDesktop::SetForeground(TForm& window) {
  FormWindow& native = WindowOf(window);
  native.raise();
  native.activateWindow();
}

void QtDesktop::TrayShow(TTrayIcon& icon) {
  // The pop-up menu lives with the window that owns the icon.
  QWidget* window = nullptr;
  for (Component* owner = icon.Owner(); owner; owner = owner->Owner())
    if (auto* form = dynamic_cast<TForm*>(owner)) {
      window = &WindowOf(*form);
      break;
    }
  trays_[&icon] = std::make_unique<TrayBinding>(icon, *this, window);
}

void QtDesktop::TrayUpdate(TTrayIcon& icon) {
  if (TrayBinding* tray = TrayOf(icon)) tray->Update();
}

void QtDesktop::TrayHide(TTrayIcon& icon) {
  trays_.erase(&icon);
}

void QtDesktop::TrayBalloon(TTrayIcon& icon, const Balloon& balloon) {
  if (TrayBinding* tray = TrayOf(icon)) tray->ShowBalloon(balloon);
}

TrayBinding* QtDesktop::TrayOf(const TTrayIcon& icon) const {
  auto it = trays_.find(&icon);
  return it == trays_.end() ? nullptr : it->second.get();
}

Desktop::TimerId QtDesktop::StartTimer(std::uint32_t interval, std::function<void()> tick) {
  const TimerId id = nextTimer_++;
  auto* timer = new QTimer(context_.get());
  timer->setInterval(static_cast<int>(std::min<std::uint32_t>(interval, 0x7FFFFFFF)));
  QObject::connect(timer, &QTimer::timeout, timer, [this, tick = std::move(tick)] {
    // The tick may stop this timer; the copy keeps the handler alive while it runs.
    const std::function<void()> run = tick;
    Dispatch(run);
  });
  timer->start();
  timers_[id] = timer;
  return id;
}

void QtDesktop::StopTimer(TimerId id) {
  auto it = timers_.find(id);
  if (it == timers_.end()) return;
  it->second->stop();
  it->second->deleteLater();
  timers_.erase(it);
}

void QtDesktop::Post(std::function<void()> operation) {
  // A queued call: it waits behind the events already posted, in any loop of this thread.
  QMetaObject::invokeMethod(
      context_.get(), [this, operation = std::move(operation)] { Dispatch(operation); },
      Qt::QueuedConnection);
}

void QtDesktop::Run() {
  HandOffs().Drain();
  if (quit_) return;
  QApplication::exec();
}

void QtDesktop::Quit() {
  quit_ = true;
  QCoreApplication::exit(0);
}

void QtDesktop::WatchSleep() {
  // After the start: connecting to the system bus is not the window's business.
  QTimer::singleShot(2000, context_.get(), [this] {
    sleepWatcher_ = std::make_unique<SleepWatcher>(
        QDBusConnection::systemBus(), [this](PowerEvent event) { PowerChanged(event); });
  });
}

void QtDesktop::WatchSessionEnd() {
  sessionEnd_ = std::make_unique<SessionEnd>([this] {
    if (TForm* main = MainForm()) main->EndSession();
  });
}

}  // namespace lantervo::qt
