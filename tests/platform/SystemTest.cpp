#include "platform/SoundFonts.h"
#include "platform/Threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <optional>
#include <pthread.h>
#include <sched.h>

namespace kazoon::platform {
namespace {

TEST(Threads, RealTimeIsReportedAsTheSystemGrantsIt)
{
    std::thread none;
    EXPECT_FALSE(raiseToRealTime(none));

    std::atomic<bool> quit{false};
    std::thread worker([&quit] {
        while (!quit.load())
            std::this_thread::yield();
    });
    const bool raised = raiseToRealTime(worker, 30);
    int policy = 0;
    sched_param param{};
    ASSERT_EQ(pthread_getschedparam(worker.native_handle(), &policy, &param), 0);
    quit = true;
    worker.join();
    // Raised or not, the answer is what the thread now runs with.
    EXPECT_EQ(policy == SCHED_FIFO, raised);
    if (raised) {
        EXPECT_EQ(param.sched_priority, std::min(sched_get_priority_max(SCHED_FIFO), 30));
    }
}

// Sets $HOME for the life of the object.
class Home {
public:
    explicit Home(const char *value)
    {
        if (const char *old = std::getenv("HOME"))
            old_ = old;
        if (value)
            ::setenv("HOME", value, 1);
        else
            ::unsetenv("HOME");
    }
    ~Home()
    {
        if (old_)
            ::setenv("HOME", old_->c_str(), 1);
        else
            ::unsetenv("HOME");
    }

private:
    std::optional<std::string> old_;
};

TEST(SoundFonts, TheSystemsFoldersComeFirstThenTheUsers)
{
    const std::vector<std::string> system = {"/usr/share/sounds/sf2", "/usr/share/sounds/sf3",
                                             "/usr/share/soundfonts", "/usr/local/share/soundfonts"};
    {
        Home home("/home/kazoon");
        std::vector<std::string> expected = system;
        expected.push_back("/home/kazoon/.local/share/soundfonts");
        EXPECT_EQ(soundFontFolders(), expected);
    }
    for (const char *nobody : {static_cast<const char *>(nullptr), ""}) {
        Home home(nobody);
        EXPECT_EQ(soundFontFolders(), system) << "no home, no folder of the user's";
    }
    // The standard ones are the system's, the system's own choice first.
    const std::vector<std::string> standard = standardSoundFonts();
    ASSERT_EQ(standard.size(), 3u);
    EXPECT_EQ(standard.front(), "/usr/share/sounds/sf2/default-GM.sf2");
    for (const std::string &path : standard)
        EXPECT_EQ(path.rfind(system.front() + "/", 0), 0u) << path;
}

} // namespace
} // namespace kazoon::platform
