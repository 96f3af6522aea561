// OpenCL compute through the context: natively on PoCL's CPU device behind the test layer (a GPU that shares
// with GL), some runtime answers twisted in the library's own table of entry points; and, everywhere, what a
// context without compute answers.
#include "cl/cl_api.h"
#include "gl/gl_buffer.h"
#include "gl_test.h"

#if !defined(_WIN32)
#include <GL/glxew.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <thread>

using namespace vindra;
using namespace vindra_test;

namespace {

constexpr ResultCode kOk = ResultCode::Success, kValue = ResultCode::InvalidValue, kFail = ResultCode::InvalidOperation;
using Bytes = std::vector<uint8_t>;

// Each compute operation of a context without compute state gives its documented answer (the other suites
// render without it, and the context-info tests read its compute queries). The runtime's path varies: the set-up
// messages expected begin the ones reported.
void ExpectNoCompute(const std::vector<Message>& setUp) {
    MessageCapture capture;
    capture.keepComputeSetUp = true;
    ContextPtr context = Create(DefaultInit());
    ASSERT_TRUE(context);
    std::vector<Message> said = capture.Take();
    ASSERT_EQ(said.size(), setUp.size()) << Describe(said);
    for (size_t i = 0; i < said.size(); ++i)
        EXPECT_TRUE(said[i].level == setUp[i].level && said[i].text.rfind(setUp[i].text, 0) == 0) << said[i].text;
    Texture* texture = context->CreateTexture();
    EXPECT_TRUE(texture->Init(TextureDesc{PixelFormat::RGBA8, 4, 4, 0, 0, 1, 0, 0}) == kOk &&
                context->CreateComputeProgram() == nullptr && context->CreateComputeBuffer() == nullptr &&
                context->SyncPreCompute() == kOk && context->SyncPostCompute() == 0 && texture->GetHandle(2) == 0);
    EXPECT_EQ(std::vector<ResultCode>(
                  {context->ReleaseComputeProgram(nullptr), context->ExecuteComputeKernel(nullptr, 1, nullptr, nullptr),
                   context->ReleaseComputeBuffer(nullptr), context->CopyComputeBuffer(nullptr, nullptr, 0, 0, 0),
                   texture->AcquireForCompute(), texture->ReleaseFromCompute()}),
              std::vector<ResultCode>(6, kFail));
    context->ReleaseTexture(&texture);
    EXPECT_EQ(capture.Take(), std::vector<Message>{});
}

const Message kNoContext = {kError, "OpenCL: Failed to create contex."};

#if defined(_WIN32)

// Wine's OpenCL.dll reaches PoCL's CPU device, and has no GL sharing.
TEST(NoCompute, WineOpenClWithoutGlSharing) {
    ExpectNoCompute({{kInfo, "Loaded OpenCL.dll from: "},
                     {kError, "OpenCL: Failed to query proc address for clGetGLContextInfoKHR"},
                     kNoContext});
}
// Run with WINEDLLOVERRIDES=opencl=.
TEST(NoCompute, WithoutRuntime) { ExpectNoCompute({{kWarning, "Failed to load OpenCL.dll"}, kNoContext}); }

#else

// Run with OCL_ICD_VENDORS naming an empty folder.
TEST(NoCompute, WithoutPlatform) { ExpectNoCompute({{kInfo, "Loaded libOpenCL.so.1 from: /"}, kNoContext}); }

// Runtime answers twisted for a test (null or 0: the runtime's own), and the calls the library made.
struct Twists {
    std::pair<cl_platform_info, const char*> platformAnswer;  // one platform query and its twisted answer
    cl_int glContextError = 0;                                // clGetGLContextInfoKHR's
    bool noDeviceInfo = false;
} twists;
ClApi runtime;  // the library's entry points before the twists
clGetGLContextInfoKHR_fn glContextInfo;
using Calls = std::vector<std::pair<std::string, const void*> >;
Calls calls;

// A recorded call's handle: its first argument, or the first GL object it acquires or releases.
const void* Handle(const void* first, ...) { return first; }
const void* Handle(cl_command_queue, cl_uint, const cl_mem* objects, ...) { return objects[0]; }
// The entry points whose calls are recorded by name and handle, and let through.
// clang-format off
#define RECORDED_ENTRIES(X)                                                                                \
    X(clEnqueueAcquireGLObjects) X(clEnqueueReleaseGLObjects) X(clFinish) X(clReleaseCommandQueue)        \
    X(clReleaseContext) X(clReleaseMemObject) X(clReleaseProgram) X(clReleaseKernel)
// clang-format on
#define RECORD(e) Cl().e = [](auto... a) { return calls.push_back({#e, Handle(a...)}), runtime.e(a...); };

// The lookups of clGetGLContextInfoKHR, recorded by the entry point's name; they find a twisted one in front of the
// runtime's.
void* Twisted(void* found) {
    glContextInfo = clGetGLContextInfoKHR_fn(found);
    return reinterpret_cast<void*>(clGetGLContextInfoKHR_fn(
        [](auto... a) { return twists.glContextError != 0 ? twists.glContextError : glContextInfo(a...); }));
}
#define LOOKUP(e) Cl().e = [](auto... a) { return calls.push_back({#e, nullptr}), Twisted(runtime.e(a...)); };

template <typename T>
T Info(Context& context, ContextInfo query) {
    T value{};
    EXPECT_EQ(context.GetInfo(query, sizeof value, &value, nullptr), kOk) << uint32_t(query);
    return value;
}
// One answer of the runtime itself (clGetDeviceInfo, clGetPlatformInfo, ...); texts as Chars.
template <typename T, typename Query, typename Object>
T Ask(Query query, Object object, cl_uint name) {
    T value{};
    query(object, name, sizeof value, &value, nullptr);
    return value;
}
using Chars = std::array<char, 256>;
// A number's bytes, as GetInfo answers it.
const auto Raw = [](auto value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); };

// Contexts made with the test layer: compute on PoCL's device, some of its answers twisted.
class ComputeTest : public GlTest {
protected:
    void SetUp() override {
        capture.keepComputeSetUp = true;
        GlTest::SetUp();
        ASSERT_NE(Info<cl_context>(*context, ContextInfo::ComputeContext), nullptr) << "run with the OpenCL layer";
        runtime = Cl();
        Cl().clGetPlatformInfo = [](auto platform, cl_platform_info name, auto size, auto value, auto ret) {
            if (name != twists.platformAnswer.first) return runtime.clGetPlatformInfo(platform, name, size, value, ret);
            return std::snprintf(static_cast<char*>(value), size, "%s", twists.platformAnswer.second), CL_SUCCESS;
        };
        Cl().clGetDeviceInfo = [](auto... a) {
            return twists.noDeviceInfo ? CL_INVALID_VALUE : runtime.clGetDeviceInfo(a...);
        };
        LOOKUP(clGetExtensionFunctionAddressForPlatform)
        LOOKUP(clGetExtensionFunctionAddress)
        RECORDED_ENTRIES(RECORD)
        twists = {};
    }
    void TearDown() override {
        for (ComputeProgram*& program : programs) EXPECT_EQ(context->ReleaseComputeProgram(&program), kOk);
        for (ComputeBuffer*& buffer : buffers) EXPECT_EQ(context->ReleaseComputeBuffer(&buffer), kOk);
        GlTest::TearDown();
        Cl() = runtime;
    }
    ComputeProgram* Program(const char* source) {
        ComputeProgram* program = programs.emplace_back(context->CreateComputeProgram());
        program->AddSources(source != nullptr ? 1 : 0, &source, nullptr);
        return program;
    }
    ComputeBuffer* Buffer(size_t size, const void* data, BufferUsage usage = BufferUsage::StaticCopy) {
        ComputeBuffer* buffer = buffers.emplace_back(context->CreateComputeBuffer());
        EXPECT_TRUE(size == 0 || buffer->Create(size, data, usage) == kOk);
        return buffer;
    }

    std::vector<ComputeProgram*> programs;
    std::vector<ComputeBuffer*> buffers;
};

const char* const kTwice = R"(
kernel void Twice(global float* vertices, write_only image2d_t image, float factor, global float* more) {
    int i = get_global_id(0);
    vertices[i] *= factor;
    write_imagef(image, (int2)(i, 0), (float4)(vertices[i] / 16.0f, 0.0f, 0.0f, 1.0f));
})";

// The listing of a context that brings compute up, in its exact layout; a context that shares takes its state
// without a word, and the last of them releases the queue, then the OpenCL context. The compute queries answer
// from the device, or with their fall-backs; without a query of its own the video memory is the device's (half
// of it where the device shares the host's memory).
TEST_F(ComputeTest, SetUpListsTheDeviceOnceAndGetInfoAnswersFromIt) {
    ContextPtr owner = Create(init);
    std::vector<Message> said = capture.Take();
    const auto platform = Info<cl_platform_id>(*owner, ContextInfo::ComputePlatform);
    const auto device = Info<cl_device_id>(*owner, ContextInfo::ComputeDevice);
    char lines[2][1024];
    std::snprintf(lines[0], sizeof lines[0], "Platform %3d: %-36s - %-28s -             %s", 0,
                  Ask<Chars>(clGetPlatformInfo, platform, CL_PLATFORM_NAME).data(),
                  Ask<Chars>(clGetPlatformInfo, platform, CL_PLATFORM_VERSION).data(),
                  Ask<Chars>(clGetPlatformInfo, platform, CL_PLATFORM_VENDOR).data());
    std::snprintf(lines[1], sizeof lines[1], " *Device %3d: %-36s - %-28s - [%4d/%4d] %s", 0,
                  Ask<Chars>(clGetDeviceInfo, device, CL_DEVICE_NAME).data(),
                  Ask<Chars>(clGetDeviceInfo, device, CL_DEVICE_VERSION).data(),
                  Info<cl_uint>(*owner, ContextInfo::ComputeUnits),
                  Ask<cl_uint>(clGetDeviceInfo, device, CL_DEVICE_MAX_CLOCK_FREQUENCY),
                  Ask<Chars>(clGetDeviceInfo, device, CL_DEVICE_VENDOR).data());
    const Message separator = {kContinuation, std::string(49, '-')}, header = {kInfo, "OpenCL: Platforms & Devices"};
    EXPECT_EQ(said, (std::vector<Message>{said.at(0), header, separator, Message{kContinuation, lines[0]},
                                          Message{kContinuation, lines[1]}, separator}));
    init.shareContext = owner.get();
    ContextPtr adopting = Create(init);  // silent: the fixture reads no message after the listing
    // clang-format off
    const struct { ContextInfo query; cl_device_info name; std::string fallback; } kDeviceQueries[] = {
        {ContextInfo::ComputeVersion, CL_DEVICE_VERSION, std::string("OpenCL: Unknown", 16)},
        {ContextInfo::ComputeDeviceName, CL_DEVICE_NAME, ""},
        {ContextInfo::ComputeLocalMemSize, CL_DEVICE_LOCAL_MEM_SIZE, Raw(uint64_t{16384})},
        {ContextInfo::ComputeUnits, CL_DEVICE_MAX_COMPUTE_UNITS, Raw(int32_t{1})}};
    // clang-format on
    const GLboolean mesaQuery = std::exchange(__GLXEW_MESA_query_renderer, GL_FALSE);
    EXPECT_EQ(Info<uint64_t>(*owner, ContextInfo::TotalVideoMemory),
              Ask<cl_ulong>(clGetDeviceInfo, device, CL_DEVICE_GLOBAL_MEM_SIZE) >>
                  Ask<cl_bool>(clGetDeviceInfo, device, CL_DEVICE_HOST_UNIFIED_MEMORY));
    __GLXEW_MESA_query_renderer = mesaQuery;
    for (bool fails : {false, true}) {
        twists.noDeviceInfo = fails;
        for (const auto& row : kDeviceQueries) {
            std::string answer(256, '\0'), expected(256, '\0');
            size_t size = 0, clSize = 0;
            owner->GetInfo(row.query, answer.size(), &answer[0], &size);
            clGetDeviceInfo(device, row.name, expected.size(), &expected[0], &clSize);
            EXPECT_EQ(answer.substr(0, size), fails ? row.fallback : expected.substr(0, clSize)) << int(row.query);
        }
    }
    const auto state = Info<cl_context>(*owner, ContextInfo::ComputeContext);
    const auto queue = Info<cl_command_queue>(*owner, ContextInfo::ComputeQueue);
    calls.clear();
    owner.reset();
    EXPECT_TRUE(calls.empty());
    adopting.reset();
    EXPECT_EQ(calls, (Calls{{"clReleaseCommandQueue", queue}, {"clReleaseContext", state}}));
}

// Without compute a context says why (its listing, with it, is left out here); the lookups are those of
// clGetGLContextInfoKHR.
TEST_F(ComputeTest, PlatformAndDeviceChoice) {
    // clang-format off
    const struct { const char* name; Twists twists; int32_t platform, device; Calls lookups; std::vector<Message> said; } kChoiceCases[] = {
        {"IntelBesideAnotherGlVendor", {{CL_PLATFORM_VENDOR, "Intel(R) Corporation"}}, -1, -1, {}, {{kInfo, "OpenCL: Skipping Intel platform"}, kNoContext}},
        {"IntelChosenByIndex", {{CL_PLATFORM_VENDOR, "Intel(R) Corporation"}}, 0, -1, {{"clGetExtensionFunctionAddressForPlatform", nullptr}}, {}},
        {"DeviceByIndex", {}, -1, 0, {}, {}},
        {"DeviceIndexPastTheEnd", {}, 0, 1, {{"clGetExtensionFunctionAddressForPlatform", nullptr}}, {}},
        {"PlatformIndexPastTheEnd", {}, 1, -1, {}, {kNoContext}},
        {"OpenCl11Platform", {{CL_PLATFORM_VERSION, "OpenCL 1.1 twisted"}}, -1, -1, {{"clGetExtensionFunctionAddress", nullptr}}, {}},
        {"ShareGroupOfAnotherPlatform", {{}, -1000}, -1, -1, {{"clGetExtensionFunctionAddressForPlatform", nullptr}}, {kNoContext}},
        {"GlContextQueryFails", {{}, -30}, -1, -1, {{"clGetExtensionFunctionAddressForPlatform", nullptr}}, {{kError, "OpenCL: Error in clGetGLContextInfoKHR: -30"}, kNoContext}},
        {"NoDeviceType", {{}, 0, true}, -1, -1, {{"clGetExtensionFunctionAddressForPlatform", nullptr}}, {{kError, "OpenCL: Failed to get device type: -30"}, kNoContext}},
    };
    // clang-format on
    for (const auto& row : kChoiceCases) {
        twists = row.twists;
        calls.clear();
        std::tie(init.clPlatformIndex, init.clDeviceIndex) = std::tie(row.platform, row.device);
        ContextPtr made = Create(init);
        EXPECT_EQ(calls, row.lookups) << row.name;
        std::vector<Message> said;
        for (const Message& message : capture.Take())
            if (message.level == kError || message.text == "OpenCL: Skipping Intel platform") said.push_back(message);
        EXPECT_EQ(said, row.said) << row.name;
    }
}

// Explicit synchronisation finishes the queue after kernels (and GL before them); each context decides once.
TEST_F(ComputeTest, InteropSynchronisationIsDecidedOncePerContext) {
    // clang-format off
    const struct { const char *vendor, *extensions, *sync; } kSyncCases[] = {
        {"Advanced Micro Devices, Inc.", "cl_khr_gl_event", "explicit"},
        {"NVIDIA Corporation", "", "implicit"},
        {"Another Vendor", "cl_khr_gl_event", "implicit"},
        {"Another Vendor", "", "explicit"},
        {"", "cl_khr_gl_event", "explicit"},
    };
    // clang-format on
    for (const auto& row : kSyncCases) {
        SCOPED_TRACE(std::string(row.vendor) + " " + row.extensions);
        setenv("VINDRA_CL_LAYER_VENDOR", row.vendor, 1);
        setenv("VINDRA_CL_LAYER_EXTENSIONS", row.extensions, 1);
        ContextPtr made = Create(init);
        ContextPtr shared(made->CreateSharedContext());
        capture.Take();
        calls.clear();
        EXPECT_TRUE(made->SyncPreCompute() == kOk && made->SyncPostCompute() == 0 && made->SyncPreCompute() == kOk &&
                    shared->MakeCurrent() == 0 && shared->SyncPostCompute() == 0 && made->MakeCurrent() == 0);
        const Message decided = {kInfo, std::string("OpenCL: GL interop using ") + row.sync + " synchronization"};
        ExpectMessages({decided, decided});
        EXPECT_EQ(calls.size(), std::string(row.sync) == "explicit" ? 2u : 0u);  // finishes
    }
    unsetenv("VINDRA_CL_LAYER_VENDOR");
    unsetenv("VINDRA_CL_LAYER_EXTENSIONS");
}

// A kernel doubles a GL vertex buffer and writes an RGBA8 texture, a pixel buffer beside them (its handling shows
// in the calls); GL reads the results.
// The GL objects are acquired and released in argument order around each launch, the first release in the
// process after a finish of the queue; a launch that fails still releases.
TEST_F(ComputeTest, KernelsWorkOnGlBuffersAndTextures) {
    const float start[4] = {1, 2, 3, 4}, factor = 2;
    VertexBuffer* vertices = context->CreateVertexBuffer();
    PixelBuffer* more = context->CreatePixelBuffer();
    Texture* image = context->CreateTexture();
    ASSERT_TRUE(vertices->BufferData(16, start, BufferUsage::StaticDraw) == kOk &&
                more->BufferData(16, nullptr, BufferUsage::StaticCopy) == kOk &&
                image->Init(TextureDesc{PixelFormat::RGBA8, 4, 1, 0, 0, 1, 0, 0}) == kOk);
    GlBuffer *glVertices = GlBuffer::FromHostPointer(vertices, ""), *glMore = GlBuffer::FromHostPointer(more, "");
    std::thread([&] { EXPECT_EQ(glVertices->GetComputeHandle(), nullptr); }).join();  // no current context there
    const void* mem[4] = {glVertices->GetComputeHandle(), reinterpret_cast<void*>(image->GetHandle(2)), nullptr,
                          glMore->GetComputeHandle()};
    ComputeKernel* kernel = Program(kTwice)->Build() == 0 ? programs.back()->GetKernel("Twice") : nullptr;
    size_t group = 0;  // the device's largest work group for the kernel: the launches below use 2
    ASSERT_TRUE(kernel && kernel->SetArgument(3, KernelArgKind::ArgPixelBuffer, 0, more) == kOk &&
                kernel->SetArgument(1, KernelArgKind::ArgTexture, 0, image) == kOk &&
                kernel->SetArgument(0, KernelArgKind::ArgIndexBuffer, 0, vertices) == kOk &&
                kernel->SetArgument(2, KernelArgKind::ArgValue, sizeof factor, &factor) == kOk &&
                kernel->GetWorkGroupSize(&group) == kOk && group >= 2);
    const size_t global = 4, local = 2, tooLarge = 5;
    const auto queue = Info<cl_command_queue>(*context, ContextInfo::ComputeQueue);
    const char *acquire = "clEnqueueAcquireGLObjects", *release = "clEnqueueReleaseGLObjects",
               *freed = "clReleaseMemObject";
    for (int launch = 0; launch < 3; ++launch) {
        calls.clear();
        EXPECT_EQ(context->ExecuteComputeKernel(kernel, 1, &global, launch < 2 ? &local : &tooLarge),
                  launch < 2 ? kOk : ResultCode::InvalidOperation);
        Calls expected = {{acquire, mem[0]}, {acquire, mem[1]}, {acquire, mem[3]},
                          {release, mem[0]}, {release, mem[1]}, {release, mem[3]}};
        if (launch == 0) expected.insert(expected.begin() + 3, {"clFinish", queue});
        EXPECT_EQ(calls, expected);
    }
    ExpectMessages({{kError, "OpenCL: Failed to enqueue kernel: Twice -54"}});
    std::vector<float> read(4);
    Bytes texels(16);
    glGetNamedBufferSubData(glVertices->GetName(), 0, 16, read.data());
    glGetTextureImage(GLuint(image->GetHandle(0)), 0, GL_RGBA, GL_UNSIGNED_BYTE, 16, texels.data());
    EXPECT_EQ(read, (std::vector<float>{4, 8, 12, 16}));
    EXPECT_EQ(texels, (Bytes{64, 0, 0, 255, 128, 0, 0, 255, 191, 0, 0, 255, 255, 0, 0, 255}));
    calls.clear();
    EXPECT_TRUE(image->AcquireForCompute() == kOk && image->ReleaseFromCompute() == kOk);
    context->ReleaseTexture(&image);
    context->ReleasePixelBuffer(&more);
    context->ReleaseVertexBuffer(&vertices);
    EXPECT_EQ(calls, (Calls{{acquire, mem[1]}, {release, mem[1]}, {freed, mem[1]}, {freed, mem[3]}, {freed, mem[0]}}));
}

// Programs, kernels, arguments, launches and buffers refused with one message each; kernels are made once per
// name; a build log goes out as three lines alone, then the rest in one message.
TEST_F(ComputeTest, RefusalsNameTheirReason) {
    ComputeProgram *empty = Program(nullptr), *twice = Program(kTwice), *noProgram = nullptr;
    ComputeKernel* kernel = twice->Build() == 0 ? twice->GetKernel("Twice") : nullptr;
    ASSERT_TRUE(kernel != nullptr && twice->GetKernel("Twice") == kernel);  // made once
    ComputeBuffer *none = Buffer(0, nullptr), *buffer = Buffer(16, nullptr);
    const size_t cube[3] = {4, 1, 1};  // also the bytes of things that are not the library's
    // clang-format off
    const struct { const char* name; std::function<int64_t()> call; int64_t result; std::string message; } kRefusals[] = {
        {"KernelBeforeBuild", [&] { return int64_t(empty->GetKernel("Twice")); }, 0, "OpenCL: Failed to create kernel Twice for program: (-44)"},
        {"NoSources", [&] { return empty->Build(); }, 1, "OpenCL: Failed to create program: -30"},
        {"NullResource", [&] { return int64_t(kernel->SetArgument(0, KernelArgKind::ArgComputeBuffer, 0, nullptr)); }, 4, "OpenCL: Failed to set kernel argument: Invalid kernel arguments"},
        {"NotABuffer", [&] { return int64_t(kernel->SetArgument(0, KernelArgKind::ArgPixelBuffer, 0, cube)); }, 4, "is not a buffer of this library"},
        {"NotATexture", [&] { return int64_t(kernel->SetArgument(1, KernelArgKind::ArgTexture, 0, cube)); }, 4, "is not a texture of this library"},
        {"NoStorage", [&] { return int64_t(kernel->SetArgument(3, KernelArgKind::ArgComputeBuffer, 0, none)); }, 4, "OpenCL: Failed to set kernel argument: Invalid memory object"},
        {"WrongSize", [&] { return int64_t(kernel->SetArgument(2, KernelArgKind(9), 2, cube)); }, 4, "OpenCL: Failed to set kernel argument: Invalid argument size"},
        {"ThreeDimensions", [&] { return int64_t(context->ExecuteComputeKernel(kernel, 3, cube, nullptr)); }, 4, "OpenCL: Failed to enqueue kernel: Twice -52"},
        {"NoGlobalSize", [&] { return int64_t(context->ExecuteComputeKernel(kernel, 1, nullptr, nullptr)); }, 4, "OpenCL: Failed to enqueue kernel: Twice -63"},
        {"NotAKernel", [&] { return int64_t(context->ExecuteComputeKernel(reinterpret_cast<ComputeKernel*>(none), 1, cube, nullptr)); }, 3, "is not a compute kernel of this library"},
        {"NullProgram", [&] { return int64_t(context->ReleaseComputeProgram(&noProgram)); }, 3, "GlContext::ReleaseComputeProgram: null program"},
        {"ReleasedProgram", [&] { ComputeProgram *made = context->CreateComputeProgram(), *stale = made; context->ReleaseComputeProgram(&made); return int64_t(context->ReleaseComputeProgram(&stale)); }, 3, "is not a compute program of this library"},
        {"CopyToNothing", [&] { return int64_t(context->CopyComputeBuffer(buffer, nullptr, 0, 0, 4)); }, 3, "GlContext::CopyComputeBuffer: null compute buffer"},
        {"MapWithoutStorage", [&] { return int64_t(none->MapBuffer(MapAccess::Read)); }, 0, "OpenCL: Failed to map buffer: -38"},
    };
    // clang-format on
    for (const auto& row : kRefusals) {
        EXPECT_EQ(row.call(), row.result) << row.name;
        const std::vector<Message> said = capture.Take();
        EXPECT_TRUE(said.size() == 1 && said[0].text.find(row.message) != std::string::npos)
            << row.name << Describe(said);
    }
    // A second build lets the first program object go (its kernel keeps what it needs); a release lets the
    // kernels go, then the program.
    calls.clear();
    EXPECT_TRUE(twice->Build() == 0 && context->ReleaseComputeProgram(&programs.back()) == kOk);
    programs.pop_back();
    EXPECT_TRUE(calls.size() == 3 && calls[0].first == "clReleaseProgram" && calls[1].first == "clReleaseKernel" &&
                calls[2].first == "clReleaseProgram");
    EXPECT_EQ(Program("kernel void A(global int* a) { a[0] = b + c + d + e; }")->Build(), 1u);
    std::vector<Message> said = capture.Take();
    ASSERT_EQ(said.size(), 5u) << Describe(said);
    EXPECT_EQ(said[0], (Message{kError, "CL: Failed to build program: -11"}));
    for (size_t line = 1; line < 5; ++line)
        EXPECT_TRUE(said[line].level == kContinuation && said[line].text.find("undeclared") != std::string::npos &&
                    (said[line].text.find('\n') != std::string::npos) == (line == 4) && said[line].text.back() != '\n')
            << said[line].text;
}

// Usages choose what kernels may do with a buffer (a host family: memory the host reaches; past the named ones:
// both ways); the contents travel as written, filled, copied and mapped.
TEST_F(ComputeTest, ComputeBuffersHoldWhatTheyAreGiven) {
    const Bytes bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, nines(4, 9);
    // clang-format off
    const struct { BufferUsage usage; bool data; cl_mem_flags flags; } kUsages[] = {
        {BufferUsage::HostRead, true, CL_MEM_ALLOC_HOST_PTR | CL_MEM_WRITE_ONLY | CL_MEM_COPY_HOST_PTR}, {BufferUsage(15), false, CL_MEM_READ_WRITE},
    };
    // clang-format on
    Bytes read(16);
    for (const auto& row : kUsages) {
        ComputeMemory memory = Buffer(16, row.data ? bytes.data() : nullptr, row.usage)->GetHandle(0);
        EXPECT_EQ(Ask<cl_mem_flags>(clGetMemObjectInfo, memory, CL_MEM_FLAGS), row.flags) << int(row.usage);
    }
    ComputeBuffer *buffer = Buffer(16, bytes.data()), *copy = Buffer(16, nullptr), *none = Buffer(0, nullptr);
    EXPECT_TRUE(buffer->WriteBuffer(4, 4, nines.data()) == kOk && buffer->FillBuffer(8, 4, 0xAB) == kOk &&
                context->CopyComputeBuffer(buffer, copy, 2, 0, 14) == kOk);
    const Bytes copied = {3, 4, 9, 9, 9, 9, 0xAB, 0xAB, 0xAB, 0xAB, 13, 14, 15, 16};
    // Read (which sees what was written, filled and copied), Write (which discards: not read back), both, and past
    // the named ones: both.
    for (int access : {0, 1, 2, 7}) {
        auto* view = static_cast<uint8_t*>(copy->MapBuffer(MapAccess(access)));
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(access == 1 || Bytes(view, view + 14) == (access == 0 ? copied : Bytes(14, access == 2 ? 8 : 9)));
        if (access != 0) std::memset(view, 7 + access, 16);
        EXPECT_EQ(copy->UnmapBuffer(), kOk);
    }
    EXPECT_TRUE(copy->ReadBuffer(0, 16, read.data()) == kOk && read == Bytes(16, 14));
    EXPECT_EQ(std::vector<ResultCode>({copy->UnmapBuffer(), none->WriteBuffer(0, 4, nines.data()),
                                       none->ReadBuffer(0, 4, read.data()), none->FillBuffer(0, 4, 1),
                                       buffer->ReadBuffer(12, 8, read.data()),
                                       context->CopyComputeBuffer(none, buffer, 0, 0, 4)}),
              std::vector<ResultCode>({kFail, kValue, kValue, kFail, kFail, kFail}));
}

#endif

}  // namespace
