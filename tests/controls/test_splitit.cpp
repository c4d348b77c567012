#include "support/seam_fixture.h"
#include "controls/SplitIt.h"
#include "platform/application.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

// A bar lying across a plain 200 x 300 parent at top 100, every event it
// raises written to a log.
class SplitItTest : public SeamTest {
protected:
    void SetUp() override
    {
        SeamTest::SetUp();
        parent.resize(200, 300);
        bar = new TSplitIt(&parent);
        bar->SetBounds(0, 100, 200, 4);
        bar->OnStartSplit = [this](TObject *sender) { note(sender, "start"); };
        bar->OnSplit = [this](TObject *sender, int newPos) {
            note(sender, "split " + std::to_string(newPos));
        };
        bar->OnMouseDown = [this](TObject *sender, TMouseButton, Qt::KeyboardModifiers, int, int) {
            note(sender, "down");
        };
        bar->OnMouseUp = [this](TObject *sender, TMouseButton, Qt::KeyboardModifiers, int, int) {
            note(sender, "up");
        };
        bar->OnClick = [this](TObject *sender) { note(sender, "click"); };
        bar->OnDblClick = [this](TObject *sender) { note(sender, "dblclick"); };
        parent.show();
        QApplication::processEvents();
    }

    void note(TObject *sender, const std::string &what)
    {
        EXPECT_EQ(sender, bar) << what;
        log.push_back(what);
    }

    // Sends a mouse event in the bar's client coordinates.
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        QMouseEvent event(type, at, bar->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(bar, &event);
    }
    void press(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons held = Qt::LeftButton)
    {
        send(QEvent::MouseButtonPress, at, button, held);
    }
    void move(QPoint at, Qt::MouseButtons held = Qt::LeftButton)
    {
        send(QEvent::MouseMove, at, Qt::NoButton, held);
    }
    void release(QPoint at, Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons held = Qt::NoButton)
    {
        send(QEvent::MouseButtonRelease, at, button, held);
    }

    // The feedback band for an offset along the bar's axis, on the screen.
    QRect band(int offset) const
    {
        const QPoint corner = bar->SplitDirection() == sdVertical ? QPoint(0, offset) : QPoint(offset, 0);
        return {bar->mapToGlobal(corner), QSize(bar->Width(), bar->Height())};
    }

    // The rectangles that stand inverted: those drawn an odd number of times.
    static std::vector<QRect> standing()
    {
        std::map<std::tuple<int, int, int, int>, int> draws;
        for (const QRect &r : testSeam().inversions)
            ++draws[{r.x(), r.y(), r.width(), r.height()}];
        std::vector<QRect> result;
        for (const auto &[r, count] : draws)
            if (count % 2 == 1)
                result.emplace_back(std::get<0>(r), std::get<1>(r), std::get<2>(r), std::get<3>(r));
        return result;
    }

    std::vector<std::string> logWithout(const std::string &what) const
    {
        std::vector<std::string> result;
        std::copy_if(log.begin(), log.end(), std::back_inserter(result),
                     [&](const std::string &entry) { return entry != what; });
        return result;
    }

    QWidget parent;
    TSplitIt *bar = nullptr;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;
using Rects = std::vector<QRect>;

TEST_F(SplitItTest, NewBarIsAFourPixelBandInTheActiveBorderColour)
{
    TSplitIt fresh(&parent);
    EXPECT_EQ(fresh.Width(), 100);
    EXPECT_EQ(fresh.Height(), 4);
    EXPECT_EQ(fresh.Color(), clActiveBorder);
    EXPECT_EQ(fresh.Cursor(), crVSplit);
    EXPECT_EQ(fresh.SplitDirection(), sdVertical);
    EXPECT_EQ(fresh.Min, 0);
    EXPECT_EQ(fresh.Max, 0);
}

TEST_F(SplitItTest, PressAndReleaseWithoutMoveSplitsAtTheCurrentPlace)
{
    // Even outside Min..Max: nothing was proposed.
    bar->Min = 150;
    bar->Max = 200;
    press({10, 1});
    EXPECT_EQ(log, (Log{"start", "down"}));
    EXPECT_EQ(standing(), Rects{band(0)});
    release({10, 1});
    EXPECT_EQ(log, (Log{"start", "down", "click", "split 100", "up"}));
    EXPECT_EQ(testSeam().inversions, (Rects{band(0), band(0)}));
    EXPECT_EQ(bar->Top(), 100) << "the owner moves the bar, not the bar itself";
}

TEST_F(SplitItTest, LeadingEdgeGoesWhereThePointerIs)
{
    press({10, 2});
    move({10, 12});
    EXPECT_EQ(standing(), Rects{band(12)});
    move({10, 7});
    EXPECT_EQ(standing(), Rects{band(7)});
    move({10, 12});
    release({10, 30}); // the release point itself is not used
    EXPECT_EQ(logWithout("click"), (Log{"start", "down", "split 112", "up"}));
    EXPECT_EQ(testSeam().inversions,
              (Rects{band(0), band(0), band(12), band(12), band(7), band(7), band(12), band(12)}));
    EXPECT_TRUE(standing().empty());
}

TEST_F(SplitItTest, MovesAreHeldWithinTheLimits)
{
    struct Case {
        const char *name;
        int min, max, parentHeight, barTop, pointerY;
        int newPos, minAfter;
    };
    const Case cases[] = {
        {"Max 0: the parent's height less the bar's", 0, 0, 300, 100, 1000, 296, 0},
        {"Max beyond the parent: the same bound", 0, 500, 300, 100, 1000, 296, 0},
        {"Max inside the parent", 0, 200, 300, 100, 1000, 200, 0},
        {"above Min", 117, 200, 300, 100, -1000, 117, 117},
        {"Min above the limit: the limit wins", 250, 200, 300, 100, -1000, 200, 250},
        {"a negative Min becomes 0", -5, 0, 300, 100, -1000, 0, 0},
        {"a parent smaller than the bar", 0, 0, 2, 0, 0, -2, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        testSeam().inversions.clear();
        parent.resize(200, c.parentHeight);
        bar->SetBounds(0, c.barTop, 200, 4);
        bar->Min = c.min;
        bar->Max = c.max;
        press({5, 1});
        EXPECT_EQ(bar->Min, c.min) << "only a move corrects Min";
        move({5, c.pointerY});
        EXPECT_EQ(bar->Min, c.minAfter);
        EXPECT_EQ(standing(), Rects{band(c.newPos - c.barTop)});
        release({5, c.pointerY});
        EXPECT_EQ(logWithout("click"),
                  (Log{"start", "down", "split " + std::to_string(c.newPos), "up"}));
        EXPECT_TRUE(standing().empty());
    }
}

TEST_F(SplitItTest, SecondButtonBelongsToTheSplitInProgress)
{
    press({5, 0});
    press({5, 0}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(log, (Log{"start", "down"})) << "the second press is swallowed";
    EXPECT_EQ(standing(), Rects{band(0)});
    move({5, 20}, Qt::LeftButton | Qt::RightButton);
    release({5, 20}, Qt::RightButton, Qt::LeftButton);
    EXPECT_EQ(logWithout("click"), (Log{"start", "down", "split 120", "up"}));
    EXPECT_TRUE(standing().empty());
    move({5, 40});
    release({5, 40});
    EXPECT_EQ(logWithout("click"), (Log{"start", "down", "split 120", "up", "up"}));
    EXPECT_TRUE(standing().empty());
}

TEST_F(SplitItTest, DoubleClickMakesTwoSplits)
{
    press({5, 1});
    release({5, 1});
    send(QEvent::MouseButtonDblClick, {5, 1}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(standing(), Rects{band(0)}) << "the second press starts a split";
    release({5, 1});
    const Log events = logWithout("click");
    EXPECT_EQ(std::count(events.begin(), events.end(), "dblclick"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "split 100"), 2);
    EXPECT_EQ(std::count(events.begin(), events.end(), "start"), 2);
    EXPECT_EQ(events.back(), "up");
    EXPECT_TRUE(standing().empty());
}

TEST_F(SplitItTest, HorizontalBarIsDraggedAlongX)
{
    bar->SetSplitDirection(sdHorizontal);
    bar->SetBounds(50, 0, 4, 300);
    bar->Min = 20;
    press({1, 5});
    move({-10, 5});
    EXPECT_EQ(standing(), Rects{band(-10)});
    EXPECT_EQ(band(-10).topLeft(), parent.mapToGlobal(QPoint(40, 0)));
    move({500, 5});
    release({500, 5});
    EXPECT_EQ(logWithout("click"), (Log{"start", "down", "split 196", "up"}));
    EXPECT_TRUE(standing().empty());
}

TEST_F(SplitItTest, SplitDirectionSetsTheCursorOnlyWhenItChanges)
{
    bar->SetCursor(crDefault);
    bar->SetSplitDirection(sdVertical);
    EXPECT_EQ(bar->Cursor(), crDefault);
    bar->SetSplitDirection(sdHorizontal);
    EXPECT_EQ(bar->Cursor(), crHSplit);
    EXPECT_EQ(bar->Width(), 200) << "the owner sizes the bar for its axis";
    EXPECT_EQ(bar->Height(), 4);
    bar->SetSplitDirection(sdVertical);
    EXPECT_EQ(bar->Cursor(), crVSplit);
}

TEST_F(SplitItTest, PaintsItsColourUnlessOnPaintDoes)
{
    // What the parent shows where the bar lies.
    const auto shown = [this] { return parent.grab(bar->geometry()).toImage(); };
    const QColor border = toQColor(clActiveBorder);
    QImage image = shown();
    for (const QPoint at : {QPoint(0, 0), QPoint(199, 3), QPoint(100, 2)})
        EXPECT_EQ(image.pixelColor(at), border) << at.x() << "," << at.y();

    QPainter *canvas = nullptr;
    bar->OnPaint = [&](TObject *sender, QPainter *c) {
        EXPECT_EQ(sender, bar);
        canvas = c;
        c->fillRect(0, 0, 1, 1, Qt::red);
    };
    image = shown();
    ASSERT_NE(canvas, nullptr);
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_NE(image.pixelColor(100, 2), border);
}

}
