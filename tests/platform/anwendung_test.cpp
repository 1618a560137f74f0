#include "platform/Anwendung.h"
#include "platform/Nachrichtenfenster.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

class AnwendungTest : public ::testing::Test {
protected:
    std::unique_ptr<QWidget> fenster = std::make_unique<QWidget>();
    int minimiert = 0;
    int wiederhergestellt = 0;

    AnwendungTest()
    {
        Application().MainForm = fenster.get();
        Application().OnMinimize = [this](QObject* sender) {
            EXPECT_EQ(sender, &Application());
            ++minimiert;
        };
        Application().OnRestore = [this](QObject*) { ++wiederhergestellt; };
    }
    ~AnwendungTest() override
    {
        // A minimize still queued belongs to this test, not to the next one.
        QApplication::processEvents();
        Application().OnMinimize = nullptr;
        Application().OnRestore = nullptr;
        Application().MainForm = nullptr;
    }
};

TEST_F(AnwendungTest, UsersMinimizeArrivesFromTheEventLoop)
{
    fenster->show();
    fenster->showMinimized();
    EXPECT_EQ(minimiert, 0);
    QApplication::processEvents();
    EXPECT_EQ(minimiert, 1);

    // Restored again before the loop came round: nothing to do any more.
    fenster->showNormal();
    fenster->showMinimized();
    fenster->showNormal();
    QApplication::processEvents();
    EXPECT_EQ(minimiert, 1);

    // Other windows' state changes are none of its business.
    QWidget anderes;
    anderes.showMinimized();
    QApplication::processEvents();
    EXPECT_EQ(minimiert, 1);
}

TEST_F(AnwendungTest, MinimizedStateSetBeforeShowingCounts)
{
    fenster->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    EXPECT_EQ(minimiert, 1);
    EXPECT_FALSE(fenster->isVisible());
}

TEST_F(AnwendungTest, RestoreShowsTheWindowNormalThenTells)
{
    fenster->setWindowState(Qt::WindowMinimized);
    QApplication::processEvents();
    Application().OnRestore = [this](QObject*) {
        EXPECT_TRUE(fenster->isVisible());
        EXPECT_FALSE(fenster->isMinimized());
        ++wiederhergestellt;
    };
    Application().Restore();
    EXPECT_EQ(wiederhergestellt, 1);

    // Without a main window only the notification remains.
    Application().MainForm = nullptr;
    Application().Restore();
    EXPECT_EQ(wiederhergestellt, 2);
}

TEST_F(AnwendungTest, MinimizeWithoutHandlerKeepsTheWindowOnTheTaskbar)
{
    Application().OnMinimize = nullptr;
    Application().Minimize(); // hidden window, never shown: shown minimized
    EXPECT_TRUE(fenster->isVisible());
    EXPECT_TRUE(fenster->isMinimized());

    fenster.reset();
    Application().Minimize(); // the window is gone: nothing to do
    EXPECT_EQ(Application().MainForm, nullptr);
}

TEST_F(AnwendungTest, SessionEndReachesEveryHiddenWindow)
{
    std::vector<std::pair<uint32_t, uintptr_t>> erhalten;
    const HWND eins = AllocateHWnd([&](TMessage& m) { erhalten.push_back({ m.Msg, m.WParam }); });
    // A window that removes itself on the first message gets nothing more.
    HWND zwei = 0;
    zwei = AllocateHWnd([&](TMessage& m) {
        erhalten.push_back({ m.Msg + 0x1000, m.WParam });
        DeallocateHWnd(zwei);
    });
    Application().Sitzungsende();
    DeallocateHWnd(eins);
    EXPECT_EQ(erhalten,
        (std::vector<std::pair<uint32_t, uintptr_t>> {
            { WM_QUERYENDSESSION, 0 }, { WM_QUERYENDSESSION + 0x1000, 0 }, { WM_ENDSESSION, 1 } }));
    EXPECT_FALSE(IsWindow(zwei));
}

} // namespace
