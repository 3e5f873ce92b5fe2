// Hosts that misbehave, against marrowfold.dll loaded by the Windows loader: no callback at all,
// editor requests with a null parent window, idle and close without an open window or after the
// window was closed, null result pointers, and the same sequence many times over. Nothing may
// crash (a crash under wine ends the program with status 5) and every answer is the documented
// neutral one.
#include <gtest/gtest.h>

#include "host/PluginHost.h"
#include "host/PluginModule.h"

namespace marrowfold {
namespace {

const PluginModule& windowsModule() {
    static PluginModule module;
    if (!module.isOpen()) module.open(MARROWFOLD_MODULE_PATH);
    return module;
}

TEST(BadHost, WithoutACallbackGetsNoRecordAndNoCrash) {
    ASSERT_TRUE(windowsModule().isOpen()) << windowsModule().error();
    EXPECT_EQ(windowsModule().entry()(nullptr), nullptr)
        << "the version question cannot be asked without a callback";
}

TEST(BadHost, EditorRequestsInAnyOrderWithNullWindowsAndPointers) {
    ASSERT_TRUE(windowsModule().isOpen()) << windowsModule().error();
    for (int round = 0; round < 50; ++round) {
        PluginHost host;
        ASSERT_TRUE(host.create(windowsModule()));
        const bool hasEditor = (host.record()->flags & FlagEditor) != 0;
        // With an editor the rectangle, key and knob-mode requests have their editor's answers;
        // a null result pointer is not written through.
        const intptr_t rectAnswer = hasEditor ? 1 : 0;
        const intptr_t keyAnswer = hasEditor ? -1 : 0;
        const intptr_t knobAnswer = hasEditor ? 1 : 0;
        host.dispatch(ReqEditorIdle);
        host.dispatch(ReqEditorClose);
        EXPECT_EQ(host.dispatch(ReqEditorRect, 0, 0, nullptr), rectAnswer);
        EXPECT_EQ(host.dispatch(ReqEditorOpen, 0, 0, nullptr), 0) << "null parent window";
        host.dispatch(ReqEditorIdle);
        host.dispatch(ReqEditorClose);
        host.dispatch(ReqEditorClose);
        host.dispatch(ReqEditorIdle);
        EXPECT_EQ(host.dispatch(ReqKeyDown, 'a', 65, nullptr, 0.0f), keyAnswer);
        EXPECT_EQ(host.dispatch(ReqKnobMode, 0, 1), knobAnswer);
        if (!hasEditor) {
            void* rect = reinterpret_cast<void*>(1);
            EXPECT_EQ(host.dispatch(ReqEditorRect, 0, 0, &rect), 0);
            EXPECT_EQ(rect, reinterpret_cast<void*>(1)) << "nothing written without an editor";
        }
        EXPECT_EQ(host.close(), 1);
    }
}

}  // namespace
}  // namespace marrowfold
