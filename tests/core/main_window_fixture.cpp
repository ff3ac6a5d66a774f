#include "main_window_fixture.h"

#include "app/main_window.h"
#include "app/winmain.h"
#include "render/scene_state.h"
#include "support/layer_spy.h"

void MainWindowTest::SetUp() {
    scene = SceneState{};
    resetLayerSpy();
    instance = GetModuleHandleA(nullptr);
    static ATOM mainClass = registerMainClass(instance);  // once per process
    ASSERT_NE(mainClass, 0) << "the main window class could not be registered";
    window = createMainWindow(instance);
    ASSERT_NE(window, nullptr) << "the main window could not be created";
    ASSERT_NE(scene.hGLRC, nullptr) << "the main window has no rendering context";
}

void MainWindowTest::TearDown() {
    if (window != nullptr && IsWindow(window)) DestroyWindow(window);
    dispatchPendingMessages();
    scene = SceneState{};
    resetLayerSpy();
}

void MainWindowTest::stopAnimationClock() {
    KillTimer(window, animationTimerId);
}

void MainWindowTest::settleQueue() {
    dispatchPendingMessages();
    scene.idleFunc = nullptr;
    resetLayerSpy();
}
