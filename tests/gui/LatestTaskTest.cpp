// The helper behind the window's workers: the newest task of a key wins.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "GuiTestUtil.h"
#include "gui/base/LatestTask.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

TEST(LatestTask, OnlyTheNewestTaskOfAKeyHandsItsResultBack)
{
    std::atomic<bool> release = false;
    LatestTask tasks;
    // Whatever way the test ends, the first task is let go before the helper waits for it.
    struct Release {
        std::atomic<bool>& flag;
        ~Release() { flag = true; }
    } guard {release};
    std::vector<std::string> taken;
    std::atomic<bool> firstCancelled = false;
    std::atomic<bool> firstBegun = false;
    std::atomic<bool> secondBegun = false;
    // The first task holds the worker until every other task has been started.
    tasks.start([&](const TaskContext& task) -> LatestTask::Done {
        firstBegun = true;
        while (!release)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        firstCancelled = task.cancelled();
        task.post([&] { taken.push_back("first, partial"); });
        return [&] { taken.push_back("first"); };
    });
    ASSERT_TRUE(waitFor([&] { return firstBegun.load(); }));
    // Stale before its turn: never begun.
    tasks.start([&](const TaskContext&) -> LatestTask::Done {
        secondBegun = true;
        return [&] { taken.push_back("second"); };
    });
    tasks.start([&](const TaskContext& task) -> LatestTask::Done {
        task.post([&] { taken.push_back("third, partial"); });
        return [&] { taken.push_back("third"); };
    });
    // Another key is not made stale by them; a cancelled one hands nothing back.
    tasks.start(
        [&](const TaskContext&) -> LatestTask::Done { return [&] { taken.push_back("other"); }; }, "other");
    tasks.start([&](const TaskContext&) -> LatestTask::Done { return [&] { taken.push_back("cancelled"); }; },
        "cancelled");
    tasks.cancel("cancelled");
    EXPECT_EQ(tasks.pending(), 2u);
    EXPECT_TRUE(tasks.busy());
    EXPECT_FALSE(tasks.busy("cancelled"));

    release = true;
    ASSERT_TRUE(waitFor([&] { return tasks.pending() == 0; }));
    EXPECT_TRUE(firstCancelled);
    EXPECT_FALSE(secondBegun);
    EXPECT_EQ(taken, (std::vector<std::string> {"third, partial", "third", "other"}));
}

// A result may start the next task of its own key: by then its task no longer counts as busy.
TEST(LatestTask, AResultCanStartTheNextTask)
{
    LatestTask tasks;
    int rounds = 0;
    std::function<void()> next = [&] {
        tasks.start([&](const TaskContext&) -> LatestTask::Done {
            return [&] {
                EXPECT_FALSE(tasks.busy());
                if (++rounds < 3)
                    next();
            };
        });
    };
    next();
    ASSERT_TRUE(waitFor([&] { return rounds == 3 && !tasks.busy(); }));
}

} // namespace
