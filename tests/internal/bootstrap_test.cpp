// The first CreateContext calls of a process, on two threads at once: both make a context, and the
// dummy-window bootstrap runs once. An executable of its own, so that nothing ran the bootstrap before.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/glew_bootstrap.h"
#include "test_context.h"

namespace {

TEST(BootstrapTest, TwoFirstContextsOnTwoThreadsShareOneBootstrap) {
    ASSERT_EQ(vindra::GlExtensionBootstrapRuns(), 0);
    std::atomic<int> waiting{2};
    bool made[2] = {};
    auto create = [&waiting, &made](int i) {
        --waiting;
        while (waiting > 0) std::this_thread::yield();
        vindra::ContextInitData init = vindra_test::DefaultInit();
        vindra::Context* context = vindra::CreateContext(init);  // the library's own, nothing of the test's
        made[i] = context != nullptr && context->SetViewPort(0, 0, 8, 8) == vindra::ResultCode::Success;
        delete context;
    };
    std::thread first(create, 0), second(create, 1);
    first.join();
    second.join();
    EXPECT_TRUE(made[0] && made[1]);
    EXPECT_EQ(vindra::GlExtensionBootstrapRuns(), 1);
}

}  // namespace
