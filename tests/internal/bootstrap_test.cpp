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
    std::atomic<int> waiting{2}, made{0};
    auto create = [&waiting, &made] {
        for (--waiting; waiting > 0;) std::this_thread::yield();
        vindra::ContextInitData init = vindra_test::DefaultInit();
        vindra_test::ContextPtr context(vindra::CreateContext(init));  // the library's own, nothing of the test's
        made += context && context->SetViewPort(0, 0, 8, 8) == vindra::ResultCode::Success;
    };
    std::thread other(create);
    create();
    other.join();
    EXPECT_EQ(made, 2);
    EXPECT_EQ(vindra::GlExtensionBootstrapRuns(), 1);
}

}  // namespace
