// TAnimateWindow and its hook over the window manager stand-in, on the
// offscreen platform: the message paths (one table), the two sequences with
// the rectangles their animation is drawn between, the handlers, the
// lifecycle, and the stand-in pieces they lean on.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "components/AnimWnd.h"
#include "platform/AnsiText.h"
#include "platform/AppWindow.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "platform/WindowManager.h"
#include "platform/ZoomAnimation.h"
#include "support/BoxRecorder.h"
#include "ui/fMain.h"

using namespace vcl;

namespace {

struct Drawn {
    RECT from;
    RECT to;
};

// What reached the application window's procedure from behind the hook.
std::vector<TMessage> g_appSeen;
WNDPROC g_appOriginal = nullptr;

LRESULT AppSpy(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
    g_appSeen.push_back({msg, wParam, lParam, 0});
    return CallWindowProcA(g_appOriginal, h, msg, wParam, lParam);
}

bool Saw(const std::vector<TMessage>& seen, UINT msg, WPARAM wParam) {
    return std::any_of(seen.begin(), seen.end(), [&](const TMessage& m) { return m.Msg == msg && m.WParam == wParam; });
}

// Posted messages may post more: a few rounds.
void Pump() {
    for (int i = 0; i < 4; ++i) ProcessMessages();
}

// An application object, a main form and a second form, each form with its
// component. Spies sit behind the component on the main form and behind the
// hook on the application window; the animation is recorded, not drawn.
class AnimateWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        previousDrawer = SetZoomDrawer([this](const RECT& from, const RECT& to) { drawn.push_back({from, to}); });
        app = std::make_unique<TApplication>();
        g_appSeen.clear();
        g_appOriginal = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(app->Handle(), GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&AppSpy)));

        main = std::make_unique<TForm>();
        main->setGeometry(100, 120, 300, 200);
        main->show();
        TWndMethod own = main->WindowProc;
        main->WindowProc = [this, own](TMessage& m) {
            mainSeen.push_back(m);
            own(m);
        };
        anim = new TAnimateWindow(main.get());
        anim->OnMinimize = [this](TObject* sender, bool& can) {
            ++minimizes;
            senders.push_back(sender);
            can = allowMinimize;
        };
        anim->OnRestore = [this](TObject* sender, bool& can) {
            ++restores;
            senders.push_back(sender);
            can = allowRestore;
        };
        main->NotifyComponentsLoaded();

        second = std::make_unique<TForm>();
        second->setGeometry(450, 300, 200, 150);
        second->show();
        secondAnim = new TAnimateWindow(second.get());
        secondAnim->OnMinimize = [this](TObject*, bool&) { ++secondMinimizes; };
        second->NotifyComponentsLoaded();
    }

    void TearDown() override {
        second.reset();
        main.reset();
        app.reset();
        SetZoomDrawer(previousDrawer);
        EXPECT_TRUE(FormList.empty());
        EXPECT_EQ(AppHook, nullptr);
    }

    // Minimized the platform's way (no sequence, no animation); counters cleared.
    void StartMinimized() {
        app->Minimize();
        ASSERT_TRUE(IsIconic(app->Handle()));
        ClearRecords();
    }

    void ClearRecords() {
        drawn.clear();
        mainSeen.clear();
        g_appSeen.clear();
        minimizes = restores = secondMinimizes = 0;
        senders.clear();
    }

    RECT MainRect() const {
        RECT r{};
        GetWindowRect(main->Handle(), &r);
        return r;
    }

    BoxRecorder boxes;
    TZoomDrawer previousDrawer;
    std::vector<Drawn> drawn;
    std::unique_ptr<TApplication> app;
    std::unique_ptr<TForm> main;
    std::unique_ptr<TForm> second;
    TAnimateWindow* anim = nullptr;
    TAnimateWindow* secondAnim = nullptr;
    std::vector<TMessage> mainSeen;
    std::vector<TObject*> senders;
    int minimizes = 0;
    int restores = 0;
    int secondMinimizes = 0;
    bool allowMinimize = true;
    bool allowRestore = true;
};

enum class Target { Main, Second, App };

struct PathCase {
    const char* name;
    Target target;
    UINT msg;
    WPARAM wParam;
    UINT posFlags;        // for WM_WINDOWPOSCHANGING: the WINDOWPOS flags
    bool startIconic;
    int minimizeSequences;  // OnMinimize of the main form's component
    int restoreSequences;
    bool passedOn;          // reached the method or procedure behind the component or hook
    bool endIconic;
    int animations;
};

const PathCase kPaths[] = {
    // name                              target          msg                   wParam               flags  iconic  min res  on     end    anim
    {"MainExactMinimize",                Target::Main,   WM_SYSCOMMAND,        SC_MINIMIZE,         0,     false,  1,  0,   false, true,  1},
    {"MainMinimizeLowBits",              Target::Main,   WM_SYSCOMMAND,        SC_MINIMIZE | 2,     0,     false,  0,  0,   true,  true,  0},
    {"SecondExactMinimizeForwarded",     Target::Second, WM_SYSCOMMAND,        SC_MINIMIZE,         0,     false,  1,  0,   false, true,  1},
    {"AppExactMinimizePosted",           Target::App,    WM_SYSCOMMAND,        SC_MINIMIZE,         0,     false,  1,  0,   false, true,  1},
    {"AppMinimizeLowBits",               Target::App,    WM_SYSCOMMAND,        SC_MINIMIZE | 1,     0,     false,  0,  0,   true,  true,  0},
    {"AppExactRestorePosted",            Target::App,    WM_SYSCOMMAND,        SC_RESTORE,          0,     true,   0,  1,   false, false, 1},
    {"AppRestoreLowBits",                Target::App,    WM_SYSCOMMAND,        SC_RESTORE | 0xF,    0,     true,   0,  0,   true,  false, 0},
    {"MainAnimateRestore",               Target::Main,   WM_ANIMATERESTORE,    0,                   0,     true,   0,  1,   false, false, 1},
    {"ZOrderOnlyWhileMinimized",         Target::Main,   WM_WINDOWPOSCHANGING, 0,                   3,     true,   0,  1,   true,  false, 1},
    {"ZOrderNoActivateWhileMinimized",   Target::Main,   WM_WINDOWPOSCHANGING, 0,                   3 | SWP_NOACTIVATE, true, 0, 0, true, true, 0},
    {"ZOrderOnlyWhileNormal",            Target::Main,   WM_WINDOWPOSCHANGING, 0,                   3,     false,  0,  0,   true,  false, 0},
};

class MessagePaths : public AnimateWindowTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(MessagePaths, TakenOrPassedOn) {
    const PathCase& c = GetParam();
    if (c.startIconic) StartMinimized();
    const HWND target = c.target == Target::App ? app->Handle() : c.target == Target::Main ? main->Handle() : second->Handle();
    WINDOWPOS pos{target, nullptr, 0, 0, 0, 0, c.posFlags};
    const LPARAM lParam = c.msg == WM_WINDOWPOSCHANGING ? reinterpret_cast<LPARAM>(&pos) : 0;

    SendMessageA(target, c.msg, c.wParam, lParam);
    Pump();

    EXPECT_EQ(minimizes, c.minimizeSequences);
    EXPECT_EQ(restores, c.restoreSequences);
    EXPECT_EQ(secondMinimizes, 0) << "the second form's own event is never asked";
    const auto& behind = c.target == Target::App ? g_appSeen : mainSeen;
    if (c.target != Target::Second) {
        EXPECT_EQ(Saw(behind, c.msg, c.wParam), c.passedOn);
    }
    EXPECT_EQ(IsIconic(app->Handle()) != FALSE, c.endIconic);
    EXPECT_EQ(static_cast<int>(drawn.size()), c.animations);
    EXPECT_TRUE(boxes.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, MessagePaths, ::testing::ValuesIn(kPaths),
                         [](const ::testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

TEST_F(AnimateWindowTest, MinimizeLaysTheApplicationWindowFlatOverTheMainForm) {
    const RECT r = MainRect();
    second->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(drawn.empty()) << "forwarded: runs later, from the message loop";
    Pump();

    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].from, (RECT{r.left, r.top, r.right, r.top}));
    EXPECT_EQ(drawn[0].to, TaskbarButtonRect(drawn[0].from));
    EXPECT_TRUE(main->isMinimized()) << "the main form stays on the taskbar";
    EXPECT_FALSE(second->isVisible()) << "the other forms go with the application window";
}

TEST_F(AnimateWindowTest, RestoreAnimatesToTheNormalPositionAndLeavesTheAppWindowAtTheOrigin) {
    anim->Minimize();
    Pump();
    ASSERT_TRUE(IsIconic(app->Handle()));
    WINDOWPLACEMENT f{};
    f.length = sizeof f;
    ASSERT_TRUE(GetWindowPlacement(main->Handle(), &f));
    drawn.clear();

    anim->Restore();
    EXPECT_TRUE(IsIconic(app->Handle())) << "Restore only posts the request";
    Pump();

    ASSERT_EQ(drawn.size(), 1u);
    const RECT flat{f.rcNormalPosition.left, f.rcNormalPosition.top, f.rcNormalPosition.right, f.rcNormalPosition.top};
    EXPECT_EQ(drawn[0].to, flat);
    EXPECT_EQ(drawn[0].from, TaskbarButtonRect(flat));
    EXPECT_FALSE(IsIconic(app->Handle()));
    RECT a{1, 1, 1, 1};
    GetWindowRect(app->Handle(), &a);
    EXPECT_EQ(a, (RECT{0, 0, 0, 0}));
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->isMinimized());
    EXPECT_TRUE(second->isVisible()) << "what the minimize hid comes back";
}

TEST_F(AnimateWindowTest, RefusedMinimizeKeepsTheWindowOnTheScreenAndConsumesTheCommand) {
    allowMinimize = false;
    main->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();

    EXPECT_EQ(minimizes, 2);
    EXPECT_FALSE(IsIconic(app->Handle()));
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->isMinimized());
    EXPECT_TRUE(drawn.empty());
    EXPECT_FALSE(Saw(mainSeen, WM_SYSCOMMAND, SC_MINIMIZE));
}

TEST_F(AnimateWindowTest, RefusedRestoreKeepsTheProgramMinimized) {
    StartMinimized();
    allowRestore = false;
    anim->Restore();
    Pump();

    EXPECT_EQ(restores, 1);
    EXPECT_TRUE(IsIconic(app->Handle()));
    EXPECT_TRUE(main->isMinimized());
    EXPECT_FALSE(second->isVisible());
    EXPECT_TRUE(drawn.empty());
}

TEST_F(AnimateWindowTest, HandlersReceiveTheApplicationObject) {
    anim->Minimize();
    Pump();
    anim->Restore();
    Pump();
    ASSERT_EQ(senders.size(), 2u);
    EXPECT_EQ(senders[0], app.get());
    EXPECT_EQ(senders[1], app.get());
    EXPECT_NE(senders[0], static_cast<TObject*>(anim));
}

TEST_F(AnimateWindowTest, DisabledApplicationWindowIsEnabledBeforeAMinimizeAndStaysSo) {
    EnableWindow(app->Handle(), FALSE);
    ASSERT_FALSE(IsWindowEnabled(app->Handle()));
    main->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(IsIconic(app->Handle()));
    EXPECT_TRUE(IsWindowEnabled(app->Handle()));
    anim->Restore();
    Pump();
    EXPECT_TRUE(IsWindowEnabled(app->Handle()));
}

TEST_F(AnimateWindowTest, RestoreShowsAnInvisibleMainForm) {
    StartMinimized();
    main->hide();
    ASSERT_FALSE(main->isVisible());
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    Pump();
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(main->isMinimized());
    EXPECT_FALSE(IsIconic(main->Handle()));
}

TEST_F(AnimateWindowTest, OnePerFormAndTheFirstStaysEntered) {
    const std::string expected = "AnimateWindowはフォームに一つしか置けません";
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            new TAnimateWindow(main.get());
            FAIL() << "a second component was made";
        } catch (const EInvalidCast&) {
            FAIL() << "wrong exception";
        } catch (const Exception& e) {
            EXPECT_EQ(AnsiToUtf8(e.Message()), expected);
        }
        EXPECT_EQ(std::count(FormList.begin(), FormList.end(), main.get()), 1);
        EXPECT_EQ(main->Components().size(), 1u) << "the half-made one is gone";
    }
    // The first still works.
    main->Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(minimizes, 1);
}

TEST_F(AnimateWindowTest, OwnerThatIsNoFormIsAnInvalidCast) {
    EXPECT_THROW(new TAnimateWindow(app.get()), EInvalidCast);
    EXPECT_THROW(new TAnimateWindow(nullptr), EInvalidCast);
    EXPECT_EQ(FormList.size(), 2u);
    EXPECT_EQ(app->Components().size(), 1u) << "the hook alone";
}

TEST_F(AnimateWindowTest, ComponentGoneBeforeItsFormLeavesTheFormWorking) {
    delete anim;
    anim = nullptr;
    EXPECT_EQ(std::count(FormList.begin(), FormList.end(), main.get()), 0);
    SendMessageA(main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Saw(mainSeen, WM_SYSCOMMAND, SC_MINIMIZE)) << "straight on to the method behind";
    EXPECT_TRUE(IsIconic(app->Handle())) << "the platform's own minimize";
    EXPECT_EQ(minimizes, 0);
}

TEST_F(AnimateWindowTest, HookGivesTheProcedureBackAndLeavesNoDanglingReference) {
    const LONG_PTR hooked = GetWindowLongPtrA(app->Handle(), GWL_WNDPROC);
    EXPECT_NE(hooked, reinterpret_cast<LONG_PTR>(&AppSpy));
    ASSERT_NE(AppHook, nullptr);
    delete AppHook;
    EXPECT_EQ(AppHook, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(app->Handle(), GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&AppSpy));
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Saw(g_appSeen, WM_SYSCOMMAND, SC_MINIMIZE));
}

TEST_F(AnimateWindowTest, HandlerExceptionGoesToTheDefaultHandler) {
    anim->OnMinimize = [](TObject*, bool&) { throw Exception(Ansi("だめ")); };
    SendMessageA(app->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, "だめ.");
    EXPECT_FALSE(IsIconic(app->Handle()));
}

// ---- Design mode and the real main window ---------------------------------

TEST(AnimateWindowDesign, NeitherHooksNorStandsInFront) {
    TApplication app;
    const LONG_PTR original = GetWindowLongPtrA(app.Handle(), GWL_WNDPROC);
    TForm form;
    form.SetDesigning(true);
    auto* anim = new TAnimateWindow(&form);
    int asked = 0;
    anim->OnMinimize = [&](TObject*, bool&) { ++asked; };
    form.NotifyComponentsLoaded();

    EXPECT_TRUE(anim->Designing());
    EXPECT_EQ(AppHook, nullptr);
    EXPECT_EQ(GetWindowLongPtrA(app.Handle(), GWL_WNDPROC), original);
    ASSERT_EQ(FormList.size(), 1u);
    EXPECT_EQ(FormList[0], &form);
    EXPECT_THROW(new TAnimateWindow(&form), Exception) << "the one-per-form rule holds";
    form.Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(IsIconic(app.Handle())) << "the platform's own minimize";
}

TEST(AnimateWindowMainWindow, AnimateWindow1WithNoEventAnimatesEveryMinimizeAndRestore) {
    std::vector<Drawn> drawn;
    TZoomDrawer before = SetZoomDrawer([&](const RECT& from, const RECT& to) { drawn.push_back({from, to}); });
    {
        TApplication app;
        TfrmMain form;
        form.show();
        ASSERT_NE(form.AnimateWindow1, nullptr);
        ASSERT_EQ(app.MainForm(), &form);
        RECT r{};
        GetWindowRect(form.Handle(), &r);
        for (int round = 0; round < 2; ++round) {
            form.Perform(WM_SYSCOMMAND, SC_MINIMIZE, 0);
            EXPECT_TRUE(IsIconic(app.Handle()));
            SendMessageA(app.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
            Pump();
            EXPECT_FALSE(IsIconic(app.Handle()));
            EXPECT_FALSE(form.isMinimized());
        }
        ASSERT_EQ(drawn.size(), 4u);
        EXPECT_EQ(drawn[0].from, (RECT{r.left, r.top, r.right, r.top}));
        // The size limits still reach the window's own method behind the component.
        MINMAXINFO info;
        form.Perform(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(info.ptMinTrackSize.x, 430);
    }
    SetZoomDrawer(before);
    EXPECT_TRUE(FormList.empty());
    EXPECT_EQ(AppHook, nullptr);
}

// ---- The stand-in ----------------------------------------------------------

TEST(WindowManager, ObjectInstanceCallsTheMethodAndIsReleased) {
    int calls = 0;
    WNDPROC proc = MakeObjectInstance([&](TMessage& m) {
        ++calls;
        m.Result = static_cast<LRESULT>(m.Msg + m.WParam);
    });
    EXPECT_EQ(CallWindowProcA(proc, nullptr, 7, 5, 0), 12);
    FreeObjectInstance(proc);
    WNDPROC again = MakeObjectInstance([](TMessage& m) { m.Result = -1; });
    EXPECT_EQ(again, proc) << "the released one is taken again";
    EXPECT_EQ(CallWindowProcA(again, nullptr, 7, 5, 0), -1);
    FreeObjectInstance(again);
    EXPECT_EQ(calls, 1);
}

TEST(WindowManager, PostedMessageRunsFromTheLoopAndIsDroppedWhenTheWindowGoes) {
    std::vector<UINT> seen;
    auto form = std::make_unique<TForm>();
    form->WindowProc = [&](TMessage& m) { seen.push_back(m.Msg); };
    const HWND h = form->Handle();
    EXPECT_TRUE(PostMessageA(h, WM_USER + 1, 0, 0));
    EXPECT_TRUE(PostMessageA(h, WM_USER + 2, 0, 0));
    EXPECT_TRUE(seen.empty());
    Pump();
    EXPECT_EQ(seen, (std::vector<UINT>{WM_USER + 1, WM_USER + 2}));

    EXPECT_TRUE(PostMessageA(h, WM_USER + 3, 0, 0));
    form.reset();
    Pump();
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_FALSE(PostMessageA(h, WM_USER + 4, 0, 0));
    EXPECT_EQ(SendMessageA(h, WM_USER + 4, 0, 0), 0);
    EXPECT_FALSE(IsIconic(h));
}

TEST(WindowManager, PlacementWantsLength44) {
    TApplication app;
    WINDOWPLACEMENT p{};
    p.length = 40;
    EXPECT_FALSE(GetWindowPlacement(app.Handle(), &p));
    EXPECT_FALSE(SetWindowPlacement(app.Handle(), &p));
    p.length = 44;
    ASSERT_TRUE(GetWindowPlacement(app.Handle(), &p));
    p.rcNormalPosition = RECT{10, 20, 110, 20};
    ASSERT_TRUE(SetWindowPlacement(app.Handle(), &p));
    RECT r{};
    GetWindowRect(app.Handle(), &r);
    EXPECT_EQ(r, (RECT{10, 20, 110, 20}));
}

TEST(WindowManager, SetWindowPosAsksTheWindowFirst) {
    TForm form;
    form.setGeometry(50, 60, 200, 100);
    TWndMethod own = form.WindowProc;
    form.WindowProc = [own](TMessage& m) {
        if (m.Msg == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(m.LParam)->x = 77;
        own(m);
    };
    ASSERT_TRUE(SetWindowPos(form.Handle(), nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    RECT r{};
    GetWindowRect(form.Handle(), &r);
    EXPECT_EQ(r.left, 77);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, form.frameGeometry().width());
}

// The real drawer on the offscreen platform: an outline that zooms in a few
// frames and is gone well inside half a second.
TEST(ZoomAnimation, OutlineZoomsInAFewFramesAndGoes) {
    const RECT from{100, 100, 400, 100};
    const RECT to{0, 576, 160, 600};
    QElapsedTimer clock;
    clock.start();
    DrawZoomAnimation(from, to);
    QWidget* outline = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("zoomOutline")) outline = w;
    ASSERT_NE(outline, nullptr);
    EXPECT_TRUE(outline->isVisible());
    EXPECT_EQ(outline->geometry().topLeft(), QPoint(100, 100));
    EXPECT_GE(outline->height(), 20) << "a window laid flat is drawn a title bar high";

    std::vector<QRect> frames{outline->geometry()};
    qint64 goneAfter = -1;
    QTimer sampler;
    QEventLoop loop;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (!outline->isVisible()) {
            goneAfter = clock.elapsed();
            loop.quit();
        } else if (frames.back() != outline->geometry()) {
            frames.push_back(outline->geometry());
        }
        if (clock.elapsed() > 2000) loop.quit();
    });
    sampler.start(5);
    loop.exec();

    EXPECT_GE(frames.size(), 4u);
    EXPECT_EQ(frames.back().topLeft(), QPoint(0, 576));
    ASSERT_GE(goneAfter, 0);
    EXPECT_LT(goneAfter, 500);
}

}  // namespace
