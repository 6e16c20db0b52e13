#include "tests/contract/WindowSystemContract.h"

#include <memory>
#include <utility>
#include <vector>

namespace orbl::contract {
namespace {

using platform::ControlKind;
using platform::WindowSystem;
namespace mb = platform::mb;
namespace msg = platform::msg;
constexpr std::uint32_t kOkCancel = 1;  // MB_OKCANCEL

// Runs `action` once, `ms` from now.
void Once(WindowSystem& ws, platform::WindowHandle owner, std::uint32_t ms,
          std::function<void()> action) {
  auto timer = std::make_shared<platform::TimerHandle>();
  *timer = ws.StartTimer(owner, ms, [&ws, timer, action = std::move(action)] {
    ws.StopTimer(*timer);
    action();
  });
}

TEST_P(WindowSystemContract, MessagesArriveInOrderAndOnlyASentOneCanBeAnsweredEarly) {
  backend->Run([&](WindowSystem& ws) {
    std::vector<std::uint64_t> seen;
    std::vector<bool> replies, visibility;
    int closes = 0;
    int sentAndAfter = 0;
    bool calledBeforeTheHandle = false;
    platform::WindowHandle window;
    platform::WindowEvents events;
    events.onMessage = [&](const platform::Message& m) {
      calledBeforeTheHandle |= !window;
      if (m.code != msg::kUser) return false;
      seen.push_back(m.wParam);
      replies.push_back(ws.ReplyToSender());
      replies.push_back(ws.ReplyToSender());  // again: changes nothing
      if ((m.wParam == 0 || m.wParam == 5) && ++sentAndAfter == 2) ws.ShowWindow(window, false);
      return true;
    };
    events.onCloseRequest = [&] {
      ++closes;
      ws.ShowWindow(window, false);
    };
    events.onVisibleChanged = [&](bool visible) { visibility.push_back(visible); };
    platform::WindowParams params;
    params.title = "Contract";
    window = ws.CreateTopWindow(params, events);
    ASSERT_TRUE(window);
    EXPECT_FALSE(calledBeforeTheHandle) << "the program may still be building its window";
    EXPECT_FALSE(ws.IsWindowVisible(window));
    for (std::uint64_t i : {1, 2, 3}) EXPECT_TRUE(ws.Post(window, msg::kUser, i, 0));
    EXPECT_TRUE(seen.empty()) << "posted, not sent";
    ws.ProcessMessages();
    EXPECT_EQ(seen, (std::vector<std::uint64_t>{1, 2, 3}));
    EXPECT_EQ(replies, std::vector<bool>(6, false)) << "a posted message has no sender";

    backend->SendFromOutside(window, msg::kUser);  // wParam 0
    ws.Post(window, msg::kUser, 5, 0);
    ws.ShowModal(window);  // until both are in
    ASSERT_EQ(seen.size(), 5u);
    const bool sentFirst = seen[3] == 0;  // on Windows it is handled while its sender waits
    const bool sent = backend->Sends();
    EXPECT_EQ(replies[6], sent && sentFirst) << "only the sender of a sent message can be answered";
    EXPECT_EQ(replies[7], sent && sentFirst);
    EXPECT_EQ(replies[8], sent && !sentFirst);
    EXPECT_EQ(replies[9], sent && !sentFirst);

    // Queued before the loop starts, and handled in it; the close box only asks.
    ws.Post(window, msg::kUser, 4, 0);
    backend->CloseBox(window);
    ws.ShowModal(window);
    EXPECT_EQ(seen.back(), 4u);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(ws.WindowTitle(window), "Contract") << "asked to close, not destroyed";
    EXPECT_EQ(visibility, (std::vector<bool>{true, false, true, false}));
  });
}

TEST_P(WindowSystemContract, AModalLoopDisablesTheOtherVisibleWindowsAndNestsInAnother) {
  backend->Run([&](WindowSystem& ws) {
    const platform::WindowHandle hidden = ws.CreateTopWindow({}, {});
    const platform::WindowHandle behind = ws.CreateTopWindow({}, {});
    ws.ShowWindow(behind, true);
    platform::WindowHandle outer, inner;
    std::vector<bool> inside, after;
    const auto enabled = [&] {  // behind, hidden, outer
      return std::vector<bool>{ws.IsWindowEnabled(behind), ws.IsWindowEnabled(hidden),
                               ws.IsWindowEnabled(outer)};
    };
    platform::WindowEvents innerEvents;
    innerEvents.onMessage = [&](const platform::Message& m) {
      if (m.code != msg::kUser) return false;
      inside = enabled();
      ws.ShowWindow(inner, false);
      return true;
    };
    inner = ws.CreateTopWindow({}, innerEvents);
    platform::WindowEvents outerEvents;
    outerEvents.onMessage = [&](const platform::Message& m) {
      if (m.code != msg::kUser) return false;
      ws.Post(inner, msg::kUser, 0, 0);
      ws.ShowModal(inner);
      after = enabled();
      ws.ShowWindow(outer, false);
      return true;
    };
    outer = ws.CreateTopWindow({}, outerEvents);
    ws.Post(outer, msg::kUser, 0, 0);
    ws.ShowModal(outer);
    EXPECT_EQ(inside, (std::vector<bool>{false, true, false})) << "only visible windows";
    EXPECT_EQ(after, (std::vector<bool>{false, true, true})) << "the outer loop still runs";
    EXPECT_EQ(enabled(), (std::vector<bool>{true, true, true}));
    ws.ShowWindow(behind, false);
  });
}

// On Windows the controls are only recorded until their window is first
// shown; what the program set must read back the same either side.
TEST_P(WindowSystemContract, WhatTheProgramSetsIsNoInputAndReadsBackTheSameOnceShown) {
  backend->Run([&](WindowSystem& ws) {
    const platform::WindowHandle window = ws.CreateTopWindow({}, {});
    int events = 0;
    bool tickSeen = false;
    platform::ControlHandle box;
    platform::ControlEvents counting;
    counting.onClick = [&] {
      ++events;
      tickSeen = ws.IsChecked(box);
      ws.ShowWindow(window, false);
    };
    counting.onSelect = [&](int) { ++events; };
    counting.onArrow = [&](int) { ++events; };
    int top = 0;
    const auto make = [&](ControlKind kind, bool visible = true) {
      platform::ControlParams params;
      params.kind = kind;
      params.text = "start";
      params.visible = visible;
      params.rect = {8, top += 30, 160, 24};
      params.minimum = 10;
      params.maximum = 600;
      params.step = 5;
      return ws.CreateControl(window, params, counting);
    };
    const auto label = make(ControlKind::Label);
    box = make(ControlKind::CheckBox);
    const auto drop = make(ControlKind::DropDownList);
    const auto list = make(ControlKind::List);
    const auto field = make(ControlKind::NumberField);
    const auto bar = make(ControlKind::ButtonBar);
    const auto hidden = make(ControlKind::Button);
    const auto shownLater = make(ControlKind::Button, false);

    ws.SetControlText(label, "Closing & locking");
    ws.SetChecked(box, true);
    for (const char* item : {"None", "Open/Close drive D:", "Show options dialog"}) {
      ws.AddItem(drop, item);
    }
    ws.SetSelection(drop, 2);
    ws.AddItem(list, "English");
    ws.AddItem(list, "Deutsch");
    ws.SetSelection(list, 1);
    ws.SetSelection(list, 2);  // beyond the entries: none
    ws.SetArrowPosition(field, 5000);
    EXPECT_EQ(ws.AddBarButton(bar, "Common options", 0), 0);
    EXPECT_EQ(ws.AddBarSeparator(bar), 1);
    EXPECT_EQ(ws.AddBarButton(bar, "D:", 1), 2);
    ws.SetControlVisible(hidden, false);
    ws.SetControlVisible(shownLater, true);
    for (const char* when : {"recorded", "shown"}) {
      SCOPED_TRACE(when);
      EXPECT_EQ(ws.ControlText(label), "Closing & locking");
      EXPECT_TRUE(ws.IsChecked(box));
      EXPECT_EQ(ws.Items(drop).size(), 3u);
      EXPECT_EQ(ws.Selection(drop), 2);
      EXPECT_EQ(ws.Items(list), (std::vector<std::string>{"English", "Deutsch"}));
      EXPECT_EQ(ws.Selection(list), -1);
      EXPECT_EQ(ws.ArrowPosition(field), 600) << "held to the range";
      EXPECT_EQ(ws.ControlText(field), "600") << "and the text says so";
      EXPECT_FALSE(ws.IsControlVisible(hidden));
      EXPECT_TRUE(ws.IsControlVisible(shownLater));
      ws.ShowWindow(window, true);
    }
    ws.SetChecked(box, false);
    EXPECT_FALSE(ws.IsChecked(box));
    for (const auto& [control, last] : {std::pair{drop, 2}, std::pair{list, 1}}) {
      ws.SetSelection(control, last);
      EXPECT_EQ(ws.Selection(control), last);
      ws.SetSelection(control, last + 1);
      EXPECT_EQ(ws.Selection(control), -1) << "beyond the entries";
    }
    ws.ClearItems(drop);
    EXPECT_TRUE(ws.Items(drop).empty());
    ws.SetArrowPosition(field, 3);
    EXPECT_EQ(ws.ControlText(field), "10");
    EXPECT_EQ(events, 0) << "the program's own changes are no input";

    backend->Click(box);  // the user's click is, after the tick changed
    ws.ShowModal(window);
    EXPECT_EQ(events, 1);
    EXPECT_TRUE(tickSeen);
  });
}

TEST_P(WindowSystemContract, ATimerTicksAfterItsIntervalUntilStoppedFromItsOwnTick) {
  backend->Run([&](WindowSystem& ws) {
    const platform::WindowHandle window = ws.CreateTopWindow({}, {});
    int ticks = 0;
    int stoppedTicks = 0;
    platform::TimerHandle timer;
    timer = ws.StartTimer(window, 300, [&] {
      if (++ticks < 2) return;
      ws.StopTimer(timer);
      ws.StopTimer(timer);  // a second stop changes nothing
      Once(ws, window, 500, [&] { ws.ShowWindow(window, false); });
    });
    ASSERT_TRUE(timer);
    const platform::TimerHandle stopped = ws.StartTimer(window, 10, [&] { ++stoppedTicks; });
    EXPECT_NE(stopped, timer);
    ws.StopTimer(stopped);
    ws.ProcessMessages();
    EXPECT_EQ(ticks, 0) << "the first tick comes after the interval";
    ws.ShowModal(window);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(stoppedTicks, 0);
  });
}

TEST_P(WindowSystemContract, ABoxReturnsItsAnswerAndATimedOnePressesItsOwnOkAlone) {
  backend->Run([&](WindowSystem& ws) {
    const platform::WindowHandle clock = ws.CreateTopWindow({}, {});
    backend->AnswerBox("A", mb::kIdCancel);
    EXPECT_EQ(ws.ShowMessageBox({}, "asks", "A", kOkCancel), mb::kIdCancel);
    EXPECT_EQ(ws.ShowTimedMessageBox({}, "nobody answers", "T", kOkCancel, 200), mb::kIdOk);

    Once(ws, clock, 50, [&] { backend->AnswerBox("T", mb::kIdCancel); });
    EXPECT_EQ(ws.ShowTimedMessageBox({}, "answered in time", "T", kOkCancel, 300), mb::kIdCancel);
    // A box shown later outlives the time-out of the one before.
    Once(ws, clock, 1000, [&] { backend->AnswerBox("C", mb::kIdCancel); });
    EXPECT_EQ(ws.ShowMessageBox({}, "later", "C", kOkCancel), mb::kIdCancel);

    // A box opened inside the timed box's loop is the user's to answer.
    int inner = 0;
    Once(ws, clock, 50, [&] { inner = ws.ShowMessageBox({}, "inside", "B", kOkCancel); });
    Once(ws, clock, 1000, [&] { backend->AnswerBox("B", mb::kIdCancel); });
    EXPECT_EQ(ws.ShowTimedMessageBox({}, "outside", "T", kOkCancel, 200), mb::kIdOk);
    EXPECT_EQ(inner, mb::kIdCancel);
  });
}

}  // namespace
}  // namespace orbl::contract
