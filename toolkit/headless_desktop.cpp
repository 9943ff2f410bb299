#include "toolkit/headless_desktop.h"

#include <algorithm>

#include "toolkit/form.h"
#include "toolkit/tray_icon.h"

namespace lantervo {

namespace {

MessageBoxAnswer FirstButton(MessageBoxButtons buttons) {
  switch (buttons) {
    case MessageBoxButtons::Ok:
    case MessageBoxButtons::OkCancel:
      return MessageBoxAnswer::Ok;
    case MessageBoxButtons::AbortRetryIgnore:
      return MessageBoxAnswer::Abort;
    case MessageBoxButtons::YesNoCancel:
    case MessageBoxButtons::YesNo:
      return MessageBoxAnswer::Yes;
    case MessageBoxButtons::RetryCancel:
      return MessageBoxAnswer::Retry;
  }
  return MessageBoxAnswer::Ok;
}

std::string NameOf(const TForm* form) {
  return form ? form->Name() : std::string();
}

}  // namespace

HeadlessDesktop::HeadlessDesktop() {
  SetErrorHandler([this](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      handledErrors_.push_back(e.what());
    } catch (...) {
      handledErrors_.push_back("(not an exception object)");
    }
  });
}

HeadlessDesktop::~HeadlessDesktop() = default;

MessageBoxAnswer HeadlessDesktop::ShowMessageBox(const TForm* owner, const std::string& caption,
                                                 const std::string& text, MessageBoxIcon icon,
                                                 MessageBoxButtons buttons) {
  Script script{FirstButton(buttons), {}};
  if (!scripts_.empty()) {
    script = std::move(scripts_.front());
    scripts_.pop_front();
  }
  messageBoxes_.push_back({NameOf(owner), caption, text, icon, buttons, script.answer});
  // A modal box runs its own loop: hand-offs and posted work keep being carried out while it
  // is open.
  RunPosted();
  if (script.closeWhen) {
    HandOffs().WaitUntil(script.closeWhen);
  } else {
    HandOffs().Drain();
  }
  return script.answer;
}

void HeadlessDesktop::ScriptAnswer(MessageBoxAnswer answer, std::function<bool()> closeWhen) {
  scripts_.push_back({answer, std::move(closeWhen)});
}

bool HeadlessDesktop::ShellOpen(const TForm* owner, const std::string& target) {
  shellOpens_.push_back({NameOf(owner), target});
  return shellOpenResult_;
}

std::uint16_t HeadlessDesktop::AddGlobalAtom(const std::string& name) {
  // Atom names are compared without regard to case.
  for (const auto& [existing, atom] : atoms_)
    if (SameText(existing, name)) return atom;
  const std::uint16_t atom = nextAtom_++;
  atoms_[name] = atom;
  return atom;
}

bool HeadlessDesktop::RegisterHotKey(TForm& window, int id, std::uint32_t modifiers,
                                     std::uint32_t virtualKey) {
  const auto combination = std::make_pair(modifiers, virtualKey);
  bool ok = std::find(hotKeysElsewhere_.begin(), hotKeysElsewhere_.end(), combination) ==
            hotKeysElsewhere_.end();
  for (const HotKey& h : hotKeys_) {
    // The same id on the same window, or a combination already taken, fails.
    if ((h.window == &window && h.id == id) ||
        (h.modifiers == modifiers && h.virtualKey == virtualKey))
      ok = false;
  }
  if (ok) hotKeys_.push_back({&window, id, modifiers, virtualKey});
  hotKeyCalls_.push_back({true, window.Name(), id, modifiers, virtualKey, ok});
  return ok;
}

bool HeadlessDesktop::UnregisterHotKey(TForm& window, int id) {
  auto it = std::find_if(hotKeys_.begin(), hotKeys_.end(),
                         [&](const HotKey& h) { return h.window == &window && h.id == id; });
  const bool ok = it != hotKeys_.end();
  hotKeyCalls_.push_back(
      {false, window.Name(), id, ok ? it->modifiers : 0, ok ? it->virtualKey : 0, ok});
  if (ok) hotKeys_.erase(it);
  return ok;
}

void HeadlessDesktop::HoldHotKeyElsewhere(std::uint32_t modifiers, std::uint32_t virtualKey) {
  hotKeysElsewhere_.emplace_back(modifiers, virtualKey);
}

bool HeadlessDesktop::PressHotKey(std::uint32_t modifiers, std::uint32_t virtualKey) {
  for (const HotKey& h : hotKeys_) {
    if (h.modifiers == modifiers && h.virtualKey == virtualKey) {
      TForm* window = h.window;
      const int id = h.id;
      Dispatch([&] { window->HotKey(id); });
      return true;
    }
  }
  return false;
}

bool HeadlessDesktop::FindTopLevelWindow(const std::string& className) {
  for (const auto& name : foreignWindows_)
    if (SameText(name, className)) return true;
  for (const TForm* form : forms_)
    if (!form->WindowClassName().empty() && SameText(form->WindowClassName(), className))
      return true;
  return false;
}

void HeadlessDesktop::SetForeground(TForm& window) {
  foreground_ = &window;
}

void HeadlessDesktop::FormCreated(TForm& form) {
  forms_.push_back(&form);
}

void HeadlessDesktop::FormDestroyed(TForm& form) {
  std::erase(forms_, &form);
  if (foreground_ == &form) foreground_ = nullptr;
  std::erase_if(hotKeys_, [&](const HotKey& h) { return h.window == &form; });
}

HeadlessDesktop::TrayRecord HeadlessDesktop::Record(TrayRecord::Kind kind, TTrayIcon& icon,
                                                    Balloon balloon) {
  return {kind, icon.PlatformHint(), icon.IconIndex(), std::move(balloon)};
}

void HeadlessDesktop::TrayShow(TTrayIcon& icon) {
  trayShown_.push_back(&icon);
  trayRecords_.push_back(Record(TrayRecord::Show, icon));
}

void HeadlessDesktop::TrayUpdate(TTrayIcon& icon) {
  trayRecords_.push_back(Record(TrayRecord::Update, icon));
}

void HeadlessDesktop::TrayHide(TTrayIcon& icon) {
  std::erase(trayShown_, &icon);
  trayRecords_.push_back(Record(TrayRecord::Hide, icon));
}

void HeadlessDesktop::TrayBalloon(TTrayIcon& icon, const Balloon& balloon) {
  trayRecords_.push_back(Record(TrayRecord::ShowBalloon, icon, balloon));
}

bool HeadlessDesktop::TrayVisible(const TTrayIcon& icon) const {
  return std::find(trayShown_.begin(), trayShown_.end(), &icon) != trayShown_.end();
}

Desktop::TimerId HeadlessDesktop::StartTimer(std::uint32_t interval, std::function<void()> tick) {
  const TimerId id = nextTimer_++;
  timers_[id] = {interval, now_ + interval, std::move(tick)};
  return id;
}

void HeadlessDesktop::StopTimer(TimerId id) {
  timers_.erase(id);
}

std::int64_t HeadlessDesktop::NextTimerDue() const {
  if (timers_.empty()) return -1;
  std::uint64_t due = UINT64_MAX;
  for (const auto& [id, timer] : timers_) due = std::min(due, timer.due);
  return static_cast<std::int64_t>(due - now_);
}

void HeadlessDesktop::Advance(std::uint64_t milliseconds) {
  const std::uint64_t target = now_ + milliseconds;
  for (;;) {
    // Each turn of the loop first runs what the last one posted.
    RunPosted();
    auto next = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it)
      if (it->second.due <= target && (next == timers_.end() || it->second.due < next->second.due))
        next = it;
    if (next == timers_.end()) break;
    now_ = next->second.due;
    next->second.due += next->second.interval;
    // The tick may stop or restart timers, this one included.
    const std::function<void()> tick = next->second.tick;
    Dispatch(tick);
  }
  now_ = target;
}

void HeadlessDesktop::Post(std::function<void()> operation) {
  posted_.push_back(std::move(operation));
}

std::size_t HeadlessDesktop::RunPosted() {
  std::size_t ran = 0;
  while (!posted_.empty()) {
    const std::function<void()> operation = std::move(posted_.front());
    posted_.pop_front();
    Dispatch(operation);
    ++ran;
  }
  return ran;
}

void HeadlessDesktop::Run() {
  RunPosted();
  // Like the platform's loop, a Quit that came first ends it at once.
  HandOffs().WaitUntil([this] { return quit_; });
  RunPosted();
}

void HeadlessDesktop::Quit() {
  HandOffs().Notify([this] { quit_ = true; });
}

bool HeadlessDesktop::QuitRequested() const {
  bool quit = false;
  HandOffs().WithLock([&] { quit = quit_; });
  return quit;
}

}  // namespace lantervo
