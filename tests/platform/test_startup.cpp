// Start-up without a display, the message box's fallback and the layer's
// error line, each run the way the program runs them.
#include "layer_test.h"

#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <future>

TEST(Startup, RefusesToRunWithoutADisplay) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            unsetenv("SDL_VIDEODRIVER");
            qvStartup();
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "^quelvaro: no display[^\n]*\n$");
}

TEST(Startup, AcceptsTheOffscreenDriverWhenAskedFor) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            qvStartup();
            std::exit(qv.backend.videoReady ? 0 : 2);
        },
        ::testing::ExitedWithCode(0), "^$");
}

// What the layer's behaviour rests on holds whatever the environment says;
// each hint that gave way is named on stderr.
TEST(Startup, TheLayersHintsOutweighTheEnvironment) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char *hint, *environment;
        bool held;
    };
    const Case cases[] = {
        {SDL_HINT_FRAMEBUFFER_ACCELERATION, "opengl", false},
        {SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "0", true},
        {SDL_HINT_MOUSE_AUTO_CAPTURE, "0", true},
        {SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "1", false},
    };
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            setenv("SDL_VIDEODRIVER", "offscreen", 1);
            for (const Case &c : cases) setenv(c.hint, c.environment, 1);
            qvStartup();
            for (const Case &c : cases)
                if (SDL_GetHintBoolean(c.hint, c.held ? SDL_FALSE : SDL_TRUE) != (c.held ? SDL_TRUE : SDL_FALSE))
                    std::fprintf(stderr, "%s\n", c.hint);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "^$");
}

TEST(MessageBox, WithoutAVisibleDisplayTheWordsGoToStandardError) {
    ASSERT_TRUE(qvEnsureVideo());  // the offscreen driver: nothing a person sees
    struct Case {
        const char *text;
        const char *caption;
        UINT type;
        int result;
        const char *printed;
    };
    const Case cases[] = {
        {"ChoosePixelFormat failed\n", "Error", MB_ICONERROR | MB_OK, IDOK, "Error: ChoosePixelFormat failed\n"},
        {"SetPixelFormat failed", "Error", MB_ICONERROR | MB_OK, IDOK, "Error: SetPixelFormat failed\n"},
        {"Go on?", nullptr, MB_YESNO, IDYES, "Error: Go on?\n"},
        {nullptr, "Empty", MB_OKCANCEL, IDOK, "Empty: \n"},
    };
    for (const Case &c : cases) {
        ::testing::internal::CaptureStderr();
        int result = MessageBoxA(nullptr, c.text, c.caption, c.type);
        std::string printed = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(result, c.result) << c.printed;
        EXPECT_EQ(printed, c.printed);
        EXPECT_EQ(qv.lastError + "\n", c.printed) << "the error function did not write the words";
    }
}

TEST(LayerErrors, OneLineWithSdlsReason) {
    ::testing::internal::CaptureStderr();
    SDL_SetError("the reason");
    qvError("could not do %s %d", "thing", 3);
    std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(qv.lastError, "quelvaro: could not do thing 3: the reason");
    EXPECT_EQ(printed, qv.lastError + "\n");
    ::testing::internal::CaptureStderr();
    qvError("no reason");
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(qv.lastError, "quelvaro: no reason") << "SDL's error was taken by the first report";
}

TEST(Signals, ThreadsTheLayerStartsLeaveThemToTheMainThread) {
    auto handledHere = [] {
        sigset_t mask;
        pthread_sigmask(SIG_SETMASK, nullptr, &mask);
        return !sigismember(&mask, SIGINT) && !sigismember(&mask, SIGTERM) && !sigismember(&mask, SIGALRM);
    };
    std::future<bool> started;
    {
        QvSignalsBlocked blocked;
        started = std::async(std::launch::async, handledHere);
    }
    EXPECT_FALSE(started.get()) << "a thread started by the layer takes SIGINT, SIGTERM or SIGALRM";
    EXPECT_TRUE(handledHere()) << "the starting thread's own mask is not back";
}
