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
#include <cstring>
#include <functional>
#include <string>
#include <thread>

using namespace vindra;
using namespace vindra_test;

namespace {

constexpr ResultCode kOk = ResultCode::Success, kValue = ResultCode::InvalidValue,
                     kOperation = ResultCode::InvalidOperation;

// A context without compute state still renders, and each compute operation gives its documented answer.
// The runtime's path varies: the set-up messages expected begin the ones reported.
void ExpectNoCompute(const std::vector<Message>& setUp) {
    MessageCapture capture;
    capture.keepComputeSetUp = true;
    ContextPtr context = CreateHeadless();
    ASSERT_TRUE(context);
    std::vector<Message> said = capture.Take();
    ASSERT_EQ(said.size(), setUp.size()) << Describe(said);
    for (size_t i = 0; i < said.size(); ++i)
        EXPECT_TRUE(said[i].level == setUp[i].level && said[i].text.rfind(setUp[i].text, 0) == 0) << said[i].text;
    Texture* texture = context->CreateTexture();
    ComputeProgram* program = nullptr;
    ComputeBuffer* buffer = nullptr;
    char version[20] = {};
    void* queue = &program;
    EXPECT_EQ(texture->Init(TextureDesc{PixelFormat::RGBA8, 4, 4, 0, 0, 1, 0, 0}), kOk);
    EXPECT_EQ(context->GetInfo(ContextInfo::ComputeVersion, sizeof version, version, nullptr), kOk);
    EXPECT_STREQ(version, "OpenCL: Unknown");
    EXPECT_EQ(context->GetInfo(ContextInfo::ComputeQueue, 8, &queue, nullptr), kValue);
    EXPECT_EQ(std::vector<uint64_t>({uint64_t(context->SyncPreCompute()), context->SyncPostCompute(),
                                     uint64_t(context->ReleaseComputeProgram(&program)),
                                     uint64_t(context->ExecuteComputeKernel(nullptr, 1, nullptr, nullptr)),
                                     uint64_t(context->ReleaseComputeBuffer(&buffer)),
                                     uint64_t(context->CopyComputeBuffer(nullptr, nullptr, 0, 0, 0)),
                                     uint64_t(texture->AcquireForCompute()), uint64_t(texture->ReleaseFromCompute()),
                                     texture->GetHandle(2), uint64_t(queue)}),
              std::vector<uint64_t>({0, 0, 4, 4, 4, 4, 4, 4, 0, 0}));
    EXPECT_TRUE(context->CreateComputeProgram() == nullptr && context->CreateComputeBuffer() == nullptr);
    const float red[4] = {1, 0, 0, 1};
    float pixel[4] = {};
    EXPECT_TRUE(context->Clear(ClearColorBuffer, red, 1, 0) == kOk && context->ReadPixels(1, 0, 0, 1, 1, pixel) == kOk);
    EXPECT_EQ(pixel[0], 1.0f);
    context->ReleaseTexture(&texture);
    EXPECT_EQ(capture.Take(), std::vector<Message>{});
}

#if defined(_WIN32)

// Wine's OpenCL.dll reaches PoCL's CPU device, and has no GL sharing.
TEST(NoCompute, WineOpenClWithoutGlSharing) {
    ExpectNoCompute({{kInfo, "Loaded OpenCL.dll from: "},
                     {kError, "OpenCL: Failed to query proc address for clGetGLContextInfoKHR"},
                     {kError, "OpenCL: Failed to create contex."}});
}
// Run with WINEDLLOVERRIDES=opencl=.
TEST(NoCompute, WithoutRuntime) {
    ExpectNoCompute({{kWarning, "Failed to load OpenCL.dll"}, {kError, "OpenCL: Failed to create contex."}});
}

#else

// Run with OCL_ICD_VENDORS naming an empty folder.
TEST(NoCompute, WithoutPlatform) {
    ExpectNoCompute({{kInfo, "Loaded libOpenCL.so.1 from: /"}, {kError, "OpenCL: Failed to create contex."}});
}

// Runtime answers twisted for a test (null or 0: the runtime's own), and the calls the library made.
struct Twists {
    const char* platformVendor = nullptr;
    const char* platformVersion = nullptr;
    cl_int glContextError = 0;  // clGetGLContextInfoKHR's
    cl_device_type deviceType = 0;
    bool deviceInfoFails = false;  // every query but the type
    size_t buildLogSize = 0;
} twists;
ClApi runtime;  // the library's entry points before the twists
clGetGLContextInfoKHR_fn glContextInfo;
std::vector<std::pair<std::string, const void*> > calls;

cl_int CL_API_CALL GlContextInfo(const cl_context_properties* properties, cl_gl_context_info name, size_t size,
                                 void* value, size_t* sizeRet) {
    return twists.glContextError != 0 ? twists.glContextError : glContextInfo(properties, name, size, value, sizeRet);
}

void Twist() {
    ClApi& cl = Cl();
    runtime = cl;
    cl.clGetPlatformInfo = [](cl_platform_id platform, cl_platform_info name, size_t size, void* value, size_t* ret) {
        const char* text = name == CL_PLATFORM_VENDOR    ? twists.platformVendor
                           : name == CL_PLATFORM_VERSION ? twists.platformVersion
                                                         : nullptr;
        if (text == nullptr) return runtime.clGetPlatformInfo(platform, name, size, value, ret);
        std::snprintf(static_cast<char*>(value), size, "%s", text);
        return CL_SUCCESS;
    };
    cl.clGetDeviceInfo = [](cl_device_id device, cl_device_info name, size_t size, void* value, size_t* ret) {
        if (name == CL_DEVICE_TYPE && twists.deviceType != 0)
            return *static_cast<cl_device_type*>(value) = twists.deviceType, CL_SUCCESS;
        return twists.deviceInfoFails && name != CL_DEVICE_TYPE
                   ? CL_INVALID_VALUE
                   : runtime.clGetDeviceInfo(device, name, size, value, ret);
    };
    cl.clGetExtensionFunctionAddressForPlatform = [](cl_platform_id platform, const char* name) -> void* {
        calls.push_back({"per-platform lookup", nullptr});
        glContextInfo = clGetGLContextInfoKHR_fn(runtime.clGetExtensionFunctionAddressForPlatform(platform, name));
        return reinterpret_cast<void*>(&GlContextInfo);
    };
    cl.clGetExtensionFunctionAddress = [](const char* name) -> void* {
        calls.push_back({"lookup", nullptr});
        glContextInfo = clGetGLContextInfoKHR_fn(runtime.clGetExtensionFunctionAddress(name));
        return glContextInfo != nullptr ? reinterpret_cast<void*>(&GlContextInfo) : nullptr;
    };
    cl.clEnqueueAcquireGLObjects = [](cl_command_queue queue, cl_uint count, const cl_mem* objects, cl_uint waits,
                                      const cl_event* list, cl_event* event) {
        calls.push_back({"acquire", objects[0]});
        return runtime.clEnqueueAcquireGLObjects(queue, count, objects, waits, list, event);
    };
    cl.clEnqueueReleaseGLObjects = [](cl_command_queue queue, cl_uint count, const cl_mem* objects, cl_uint waits,
                                      const cl_event* list, cl_event* event) {
        calls.push_back({"release", objects[0]});
        return runtime.clEnqueueReleaseGLObjects(queue, count, objects, waits, list, event);
    };
    cl.clFinish = [](cl_command_queue queue) { return calls.push_back({"finish", nullptr}), runtime.clFinish(queue); };
    cl.clCreateKernel = [](cl_program program, const char* name, cl_int* error) {
        return calls.push_back({"kernel", nullptr}), runtime.clCreateKernel(program, name, error);
    };
    cl.clCreateFromGLTexture = [](cl_context context, cl_mem_flags flags, cl_GLenum target, cl_GLint level,
                                  cl_GLuint texture, cl_int* error) {
        calls.push_back({"image", nullptr});
        return runtime.clCreateFromGLTexture(context, flags, target, level, texture, error);
    };
    cl.clReleaseCommandQueue = [](cl_command_queue queue) {
        return calls.push_back({"release queue", queue}), runtime.clReleaseCommandQueue(queue);
    };
    cl.clReleaseContext = [](cl_context context) {
        return calls.push_back({"release context", context}), runtime.clReleaseContext(context);
    };
    cl.clGetProgramBuildInfo = [](cl_program program, cl_device_id device, cl_program_build_info name, size_t size,
                                  void* value, size_t* ret) {
        if (twists.buildLogSize == 0) return runtime.clGetProgramBuildInfo(program, device, name, size, value, ret);
        return *ret = twists.buildLogSize, CL_SUCCESS;
    };
}

template <typename T>
T Info(Context& context, ContextInfo query) {
    T value{};
    EXPECT_EQ(context.GetInfo(query, sizeof value, &value, nullptr), kOk) << uint32_t(query);
    return value;
}

// Contexts made with the test layer: compute on PoCL's device.
class ComputeTest : public GlTest {
protected:
    void SetUp() override {
        capture.keepComputeSetUp = true;
        GlTest::SetUp();
        ASSERT_NE(Info<cl_context>(*context, ContextInfo::ComputeContext), nullptr) << "run with the OpenCL layer";
        twists = {};
        calls.clear();
        Twist();
    }
    void TearDown() override {
        for (ComputeProgram*& program : programs) context->ReleaseComputeProgram(&program);
        for (ComputeBuffer*& buffer : buffers) context->ReleaseComputeBuffer(&buffer);
        GlTest::TearDown();
        Cl() = runtime;
    }
    ComputeKernel* Kernel(const char* source, const char* name) {
        ComputeProgram* program = programs.emplace_back(context->CreateComputeProgram());
        program->AddSources(1, &source, nullptr);
        EXPECT_EQ(program->Build(), 0u) << Describe(Messages());
        return program->GetKernel(name);
    }
    ComputeBuffer* Buffer(size_t size, const void* data, BufferUsage usage = BufferUsage::StaticCopy) {
        ComputeBuffer* buffer = buffers.emplace_back(context->CreateComputeBuffer());
        EXPECT_EQ(buffer->Create(size, data, usage), kOk);
        return buffer;
    }
    // Whether a context made from `made` has compute; what it reported goes to `said`.
    bool Made(const ContextInitData& made, std::vector<Message>* said) {
        ContextPtr other = Create(made);
        void* queue = nullptr;
        if (other != nullptr) other->GetInfo(ContextInfo::ComputeQueue, sizeof queue, &queue, nullptr);
        *said = Messages();
        return queue != nullptr;
    }

    std::vector<ComputeProgram*> programs;
    std::vector<ComputeBuffer*> buffers;
};

const char* const kTwice = R"(
kernel void Twice(global float* vertices, write_only image2d_t image, float factor, global float* more,
                  local float* scratch) {
    int i = get_global_id(0);
    scratch[get_local_id(0)] = vertices[i] * factor;
    vertices[i] = scratch[get_local_id(0)];
    more[i] += 1.0f;
    write_imagef(image, (int2)(i, 0), (float4)(vertices[i] / 16.0f, 0.0f, 0.0f, 1.0f));
})";

template <typename Query, typename Object>
std::string Text(Query query, Object object, cl_uint name) {
    char text[256] = {};
    query(object, name, sizeof text, text, nullptr);
    return text;
}

// The listing of a context that brings compute up, in its exact layout; contexts that share take its state
// without a word, and the last of them releases the queue, then the OpenCL context.
TEST_F(ComputeTest, SetUpListsPlatformsAndDevicesOnceForContextsThatShare) {
    ContextPtr owner = Create(init);
    std::vector<Message> said = Messages();
    const cl_platform_id platform = Info<cl_platform_id>(*owner, ContextInfo::ComputePlatform);
    const cl_device_id device = Info<cl_device_id>(*owner, ContextInfo::ComputeDevice);
    char platformLine[1024], deviceLine[1024];
    std::snprintf(platformLine, sizeof platformLine, "Platform %3d: %-36s - %-28s -             %s", 0,
                  Text(clGetPlatformInfo, platform, CL_PLATFORM_NAME).c_str(),
                  Text(clGetPlatformInfo, platform, CL_PLATFORM_VERSION).c_str(),
                  Text(clGetPlatformInfo, platform, CL_PLATFORM_VENDOR).c_str());
    cl_uint units = 0, megahertz = 0;
    clGetDeviceInfo(device, CL_DEVICE_MAX_COMPUTE_UNITS, sizeof units, &units, nullptr);
    clGetDeviceInfo(device, CL_DEVICE_MAX_CLOCK_FREQUENCY, sizeof megahertz, &megahertz, nullptr);
    std::snprintf(deviceLine, sizeof deviceLine, " *Device %3d: %-36s - %-28s - [%4d/%4d] %s", 0,
                  Text(clGetDeviceInfo, device, CL_DEVICE_NAME).c_str(),
                  Text(clGetDeviceInfo, device, CL_DEVICE_VERSION).c_str(), units, megahertz,
                  Text(clGetDeviceInfo, device, CL_DEVICE_VENDOR).c_str());
    const std::string separator(49, '-');
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said[0].text.rfind("Loaded libOpenCL.so.1 from: /", 0), 0u);
    EXPECT_EQ(said, (std::vector<Message>{said[0],
                                          {kInfo, "OpenCL: Platforms & Devices"},
                                          {kContinuation, separator},
                                          {kContinuation, platformLine},
                                          {kContinuation, deviceLine},
                                          {kContinuation, separator}}));
    ContextPtr shared(owner->CreateSharedContext());
    init.shareContext = owner.get();
    ContextPtr adopting = Create(init);
    ExpectMessages({});
    const cl_context state = Info<cl_context>(*owner, ContextInfo::ComputeContext);
    EXPECT_EQ(Info<cl_context>(*shared, ContextInfo::ComputeContext), state);
    EXPECT_EQ(Info<cl_context>(*adopting, ContextInfo::ComputeContext), state);
    const cl_command_queue queue = Info<cl_command_queue>(*owner, ContextInfo::ComputeQueue);
    calls.clear();
    owner.reset();
    shared.reset();
    EXPECT_TRUE(calls.empty());
    adopting.reset();
    EXPECT_EQ(calls, (decltype(calls){{"release queue", queue}, {"release context", state}}));
}

struct ChoiceCase {
    const char* name;
    Twists twists;
    int32_t platform, device;
    bool compute;
    std::vector<std::string> lookups;  // of clGetGLContextInfoKHR
    std::vector<Message> said;         // besides the runtime's path and the listing
};
const Message kNoContext = {kError, "OpenCL: Failed to create contex."};
const std::string kPerPlatform = "per-platform lookup";
const ChoiceCase kChoiceCases[] = {
    {"Automatic", {}, -1, -1, true, {kPerPlatform}, {}},
    {"IntelBesideAnotherGlVendor",
     {"Intel(R) Corporation"},
     -1,
     -1,
     false,
     {},
     {{kInfo, "OpenCL: Skipping Intel platform"}, kNoContext}},
    {"IntelChosenByIndex", {"Intel(R) Corporation"}, 0, -1, true, {kPerPlatform}, {}},
    {"DeviceByIndex", {}, -1, 0, true, {}, {}},
    {"DeviceIndexPastTheEnd", {}, 0, 5, true, {kPerPlatform}, {}},
    {"PlatformIndexPastTheEnd", {}, 1, -1, false, {}, {kNoContext}},
    {"OpenCl11Platform", {nullptr, "OpenCL 1.1 twisted"}, -1, -1, true, {"lookup"}, {}},
    {"ShareGroupOfAnotherPlatform", {nullptr, nullptr, -1000}, -1, -1, false, {kPerPlatform}, {kNoContext}},
    {"GlContextQueryFails",
     {nullptr, nullptr, -30},
     -1,
     -1,
     false,
     {kPerPlatform},
     {{kError, "OpenCL: Error in clGetGLContextInfoKHR: -30"}, kNoContext}},
    {"NotOnlyAGpu",
     {nullptr, nullptr, 0, CL_DEVICE_TYPE_GPU | CL_DEVICE_TYPE_CPU},
     -1,
     -1,
     false,
     {kPerPlatform},
     {kNoContext}},
};

TEST_F(ComputeTest, PlatformAndDeviceChoice) {
    for (const ChoiceCase& row : kChoiceCases) {
        SCOPED_TRACE(row.name);
        twists = row.twists;
        calls.clear();
        ContextInitData made = init;
        made.clPlatformIndex = row.platform;
        made.clDeviceIndex = row.device;
        std::vector<Message> said, reported;
        EXPECT_EQ(Made(made, &said), row.compute);
        for (const Message& message : said)
            if (message.level != kContinuation && message.text.rfind("Loaded ", 0) != 0 &&
                message.text != "OpenCL: Platforms & Devices")
                reported.push_back(message);
        EXPECT_EQ(reported, row.said);
        std::vector<std::string> lookups;
        for (const auto& call : calls)
            if (call.first.find("lookup") != std::string::npos) lookups.push_back(call.first);
        EXPECT_EQ(lookups, row.lookups);
    }
}

// Explicit synchronisation finishes the queue after kernels (and GL before them); each context decides once.
TEST_F(ComputeTest, InteropSynchronisationIsDecidedOncePerContext) {
    const struct {
        const char *vendor, *extensions, *sync;
    } kSyncCases[] = {
        {"Advanced Micro Devices, Inc.", "cl_khr_gl_event", "explicit"},
        {"NVIDIA Corporation", "", "implicit"},
        {"Another Vendor", "cl_khr_gl_event", "implicit"},
        {"Another Vendor", "", "explicit"},
        {"", "cl_khr_gl_event", "explicit"},
    };
    for (const auto& row : kSyncCases) {
        SCOPED_TRACE(std::string(row.vendor) + " " + row.extensions);
        setenv("VINDRA_CL_LAYER_VENDOR", row.vendor, 1);
        setenv("VINDRA_CL_LAYER_EXTENSIONS", row.extensions, 1);
        ContextPtr made = Create(init);
        ContextPtr shared(made->CreateSharedContext());
        Messages();
        calls.clear();
        EXPECT_TRUE(made->SyncPreCompute() == kOk && made->SyncPostCompute() == 0 && made->SyncPreCompute() == kOk);
        ASSERT_EQ(shared->MakeCurrent(), 0u);
        EXPECT_EQ(shared->SyncPostCompute(), 0u);
        const Message decided = {kInfo, std::string("OpenCL: GL interop using ") + row.sync + " synchronization"};
        ExpectMessages({decided, decided});
        EXPECT_EQ(calls.size(), std::string(row.sync) == "explicit" ? 2u : 0u);
        made->MakeCurrent();
    }
    unsetenv("VINDRA_CL_LAYER_VENDOR");
    unsetenv("VINDRA_CL_LAYER_EXTENSIONS");
}

// A kernel doubles a GL vertex buffer, adds to a pixel buffer and writes an RGBA8 texture; GL reads the results.
// The GL objects are acquired and released in argument order around each launch, the first release in the
// process after a finish of the queue; a launch that fails still releases.
TEST_F(ComputeTest, KernelsWorkOnGlBuffersAndTextures) {
    const float start[4] = {1, 2, 3, 4}, zero[4] = {}, factor = 2;
    VertexBuffer* vertices = context->CreateVertexBuffer();
    PixelBuffer* more = context->CreatePixelBuffer();
    Texture* image = context->CreateTexture();
    ASSERT_TRUE(vertices->BufferData(16, start, BufferUsage::StaticDraw) == kOk &&
                more->BufferData(16, zero, BufferUsage::StaticCopy) == kOk);
    EXPECT_EQ(image->Init(TextureDesc{PixelFormat::RGBA8, 4, 1, 0, 0, 1, 0, 0}), kOk);
    EXPECT_EQ(calls, (decltype(calls){{"image", nullptr}}));  // made with the texture
    GlBuffer* glVertices = GlBuffer::FromHostPointer(vertices, "test");
    std::thread([&] { EXPECT_EQ(glVertices->GetComputeHandle(), nullptr); }).join();  // no current context there
    const void* objects[4] = {glVertices->GetComputeHandle(), reinterpret_cast<void*>(image->GetHandle(2)), nullptr,
                              GlBuffer::FromHostPointer(more, "test")->GetComputeHandle()};
    ComputeKernel* kernel = Kernel(kTwice, "Twice");
    EXPECT_TRUE(kernel->SetArgument(3, KernelArgKind::ArgPixelBuffer, 0, more) == kOk &&
                kernel->SetArgument(1, KernelArgKind::ArgTexture, 0, image) == kOk &&
                kernel->SetArgument(0, KernelArgKind::ArgIndexBuffer, 0, vertices) == kOk &&
                kernel->SetArgument(2, KernelArgKind::ArgValue, sizeof factor, &factor) == kOk &&
                kernel->SetArgument(4, KernelArgKind::ArgValue, 1024, nullptr) == kOk);
    const size_t global = 4, local = 2, tooLarge = 5;
    auto launched = [&](bool finished) {
        decltype(calls) expected;
        for (const char* step : {"acquire", "release"})
            for (int index : {0, 1, 3}) {
                if (finished && index == 0 && step[0] == 'r') expected.push_back({"finish", nullptr});
                expected.push_back({step, objects[index]});
            }
        return expected;
    };
    calls.clear();
    for (int launch = 0; launch < 2; ++launch) {
        EXPECT_TRUE(context->SyncPreCompute() == kOk && context->SyncPostCompute() == 0);
        EXPECT_EQ(context->ExecuteComputeKernel(kernel, 1, &global, &local), kOk);
        EXPECT_EQ(calls, launched(launch == 0));
        calls.clear();
    }
    EXPECT_EQ(context->ExecuteComputeKernel(kernel, 1, &global, &tooLarge), kOperation);
    EXPECT_EQ(calls, launched(false));
    std::vector<Message> said = Messages();
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(said.back(), (Message{kError, "OpenCL: Failed to enqueue kernel: Twice -54"}));
    float read[8] = {};
    glGetNamedBufferSubData(glVertices->GetName(), 0, 16, read);
    glGetNamedBufferSubData(GlBuffer::FromHostPointer(more, "test")->GetName(), 0, 16, read + 4);
    EXPECT_EQ(std::vector<float>(read, read + 8), (std::vector<float>{4, 8, 12, 16, 2, 2, 2, 2}));
    uint8_t texels[16] = {};
    glGetTextureImage(GLuint(image->GetHandle(0)), 0, GL_RGBA, GL_UNSIGNED_BYTE, sizeof texels, texels);
    EXPECT_EQ(std::vector<uint8_t>(texels, texels + 16),
              (std::vector<uint8_t>{64, 0, 0, 255, 128, 0, 0, 255, 191, 0, 0, 255, 255, 0, 0, 255}));
    EXPECT_TRUE(image->AcquireForCompute() == kOk && image->ReleaseFromCompute() == kOk);
    context->ReleaseTexture(&image);
    context->ReleasePixelBuffer(&more);
    context->ReleaseVertexBuffer(&vertices);
}

// A failed build reports each device's log: three lines alone, then the rest in one message; a log of a line end
// is no log. Kernels are made once per name.
TEST_F(ComputeTest, ProgramsBuildAndKeepTheirKernels) {
    ComputeProgram* program = programs.emplace_back(context->CreateComputeProgram());
    EXPECT_EQ(program->GetKernel("Twice"), nullptr);
    EXPECT_EQ(program->Build(), 1u);
    ExpectMessages({{kError, "OpenCL: Failed to create kernel Twice for program: (-44)"},
                    {kError, "OpenCL: Failed to create program: -30"}});
    const char* broken = "kernel void A(global int* a) { a[0] = b + c + d + e; }";
    EXPECT_EQ(program->AddSources(1, &broken, nullptr), 0u);
    twists.buildLogSize = 2;
    EXPECT_EQ(program->Build(), 1u);
    ExpectMessages({});
    twists.buildLogSize = 0;
    EXPECT_EQ(program->Build(), 1u);
    std::vector<Message> said = Messages();
    ASSERT_EQ(said.size(), 5u) << Describe(said);
    EXPECT_EQ(said[0], (Message{kError, "CL: Failed to build program: -11"}));
    for (size_t line = 1; line < 5; ++line)
        EXPECT_TRUE(said[line].level == kContinuation &&
                    said[line].text.find("undeclared identifier") != std::string::npos &&
                    (said[line].text.find('\n') != std::string::npos) == (line == 4))
            << said[line].text;
    ComputeKernel* kernel = Kernel(kTwice, "Twice");
    calls.clear();
    EXPECT_EQ(programs.back()->GetKernel("Twice"), kernel);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(programs.back()->GetKernel("Thrice"), nullptr);
    size_t size = 0;
    EXPECT_TRUE(kernel->GetWorkGroupSize(&size) == kOk && size > 0);
    ComputeProgram* none = nullptr;
    EXPECT_TRUE(context->ReleaseComputeProgram(&none) == kValue && context->ReleaseComputeProgram(nullptr) == kValue);
    ExpectMessages({{kError, "OpenCL: Failed to create kernel Thrice for program: (-46)"},
                    {kError, "GlContext::ReleaseComputeProgram: null program"},
                    {kError, "GlContext::ReleaseComputeProgram: null address"}});
}

// Arguments and launches OpenCL would refuse, or that are not what their kind says: one message each.
TEST_F(ComputeTest, RefusedArgumentsAndLaunches) {
    ComputeKernel* kernel = Kernel(kTwice, "Twice");
    ComputeBuffer* empty = buffers.emplace_back(context->CreateComputeBuffer());
    const float factor = 2;
    const size_t four = 4;
    const struct {
        const char* name;
        std::function<ResultCode()> call;
        ResultCode result;
        std::string message;
    } kRefusals[] = {
        {"NullResource", [&] { return kernel->SetArgument(0, KernelArgKind::ArgComputeBuffer, 0, nullptr); },
         kOperation, "OpenCL: Failed to set kernel argument: Invalid kernel arguments"},
        {"NotABuffer", [&] { return kernel->SetArgument(0, KernelArgKind::ArgPixelBuffer, 0, &factor); }, kOperation,
         "is not a buffer of this library"},
        {"NotATexture", [&] { return kernel->SetArgument(1, KernelArgKind::ArgTexture, 0, &factor); }, kOperation,
         "is not a texture of this library"},
        {"NoStorage", [&] { return kernel->SetArgument(3, KernelArgKind::ArgComputeBuffer, 0, empty); }, kOperation,
         "OpenCL: Failed to set kernel argument: Invalid memory object"},
        {"WrongSize", [&] { return kernel->SetArgument(2, KernelArgKind(9), 2, &factor); }, kOperation,
         "OpenCL: Failed to set kernel argument: Invalid argument size"},
        {"NoSuchIndex", [&] { return kernel->SetArgument(5, KernelArgKind::ArgValue, 4, &factor); }, kOperation,
         "OpenCL: Failed to set kernel argument: Invalid argument index"},
        {"ArgumentsMissing", [&] { return context->ExecuteComputeKernel(kernel, 1, &four, nullptr); }, kOperation,
         "OpenCL: Failed to enqueue kernel: Twice -52"},
        {"NoDimension", [&] { return context->ExecuteComputeKernel(kernel, 0, &four, nullptr); }, kOperation,
         "OpenCL: Failed to enqueue kernel: Twice -53"},
        {"NoGlobalSize", [&] { return context->ExecuteComputeKernel(kernel, 1, nullptr, nullptr); }, kOperation,
         "OpenCL: Failed to enqueue kernel: Twice -63"},
        {"NullKernel", [&] { return context->ExecuteComputeKernel(nullptr, 1, &four, nullptr); }, kValue,
         "GlContext::ExecuteComputeKernel: null compute kernel"},
        {"NotAKernel",
         [&] { return context->ExecuteComputeKernel(reinterpret_cast<ComputeKernel*>(empty), 1, &four, nullptr); },
         kValue, "is not a compute kernel of this library"},
    };
    for (const auto& row : kRefusals) {
        EXPECT_EQ(row.call(), row.result) << row.name;
        std::vector<Message> said = Messages();
        ASSERT_EQ(said.size(), 1u) << row.name << Describe(said);
        EXPECT_NE(said[0].text.find(row.message), std::string::npos) << row.name << ": " << said[0].text;
    }
}

// Usages choose what kernels may do with a buffer; the contents travel as written, filled, copied and mapped.
TEST_F(ComputeTest, ComputeBuffersHoldWhatTheyAreGiven) {
    using Bytes = std::vector<uint8_t>;
    const Bytes bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const struct {
        BufferUsage usage;
        bool data;
        cl_mem_flags flags;
    } kUsages[] = {
        {BufferUsage::StaticDraw, true, CL_MEM_READ_ONLY | CL_MEM_COPY_HOST_PTR},
        {BufferUsage::DynamicRead, false, CL_MEM_WRITE_ONLY},
        {BufferUsage::StagingCopy, true, CL_MEM_READ_WRITE | CL_MEM_COPY_HOST_PTR},
        {BufferUsage::HostDraw, false, CL_MEM_ALLOC_HOST_PTR | CL_MEM_READ_ONLY},
        {BufferUsage::HostRead, true, CL_MEM_ALLOC_HOST_PTR | CL_MEM_WRITE_ONLY | CL_MEM_COPY_HOST_PTR},
        {BufferUsage::HostCopy, false, CL_MEM_ALLOC_HOST_PTR | CL_MEM_READ_WRITE},
        {BufferUsage(15), false, CL_MEM_READ_WRITE},
    };
    for (const auto& row : kUsages) {
        ComputeBuffer* buffer = Buffer(16, row.data ? bytes.data() : nullptr, row.usage);
        cl_mem_flags flags = 0;
        clGetMemObjectInfo(buffer->GetHandle(0), CL_MEM_FLAGS, sizeof flags, &flags, nullptr);
        EXPECT_EQ(flags, row.flags) << int(row.usage);
        Bytes read(16);
        EXPECT_TRUE(!row.data || (buffer->ReadBuffer(0, 16, read.data()) == kOk && read == bytes)) << int(row.usage);
    }
    ComputeBuffer *buffer = Buffer(16, bytes.data()), *copy = Buffer(16, nullptr);
    const Bytes nines(4, 9);
    Bytes read(16);
    EXPECT_TRUE(buffer->WriteBuffer(4, 4, nines.data()) == kOk && buffer->FillBuffer(8, 4, 0xAB) == kOk &&
                context->CopyComputeBuffer(buffer, copy, 2, 0, 14) == kOk &&
                copy->ReadBuffer(0, 16, read.data()) == kOk);
    const Bytes expected = {3, 4, 9, 9, 9, 9, 0xAB, 0xAB, 0xAB, 0xAB, 13, 14, 15, 16};
    EXPECT_EQ(Bytes(read.begin(), read.begin() + 14), expected);
    for (MapAccess access : {MapAccess::Read, MapAccess::Write, MapAccess(2)}) {
        auto* mapped = static_cast<uint8_t*>(copy->MapBuffer(access));
        ASSERT_NE(mapped, nullptr);
        EXPECT_TRUE(access == MapAccess::Write ||
                    Bytes(mapped, mapped + 14) == (access == MapAccess::Read ? expected : Bytes(14, 8)));
        if (access != MapAccess::Read) std::memset(mapped, 7 + int(access), 16);
        EXPECT_EQ(copy->UnmapBuffer(), kOk);
    }
    EXPECT_TRUE(copy->ReadBuffer(0, 16, read.data()) == kOk && read == Bytes(16, 9));
    EXPECT_EQ(copy->UnmapBuffer(), kOperation);  // the mapping ended
    ComputeBuffer* empty = buffers.emplace_back(context->CreateComputeBuffer());
    EXPECT_EQ(std::vector<ResultCode>({empty->WriteBuffer(0, 4, nines.data()), empty->ReadBuffer(0, 4, read.data()),
                                       empty->FillBuffer(0, 4, 1), buffer->ReadBuffer(12, 8, read.data()),
                                       context->CopyComputeBuffer(buffer, nullptr, 0, 0, 4),
                                       context->ReleaseComputeBuffer(nullptr)}),
              std::vector<ResultCode>({kValue, kValue, kOperation, kOperation, kValue, kValue}));
    ExpectMessages({{kError, "GlContext::CopyComputeBuffer: null compute buffer"},
                    {kError, "GlContext::ReleaseComputeBuffer: null address"}});
    EXPECT_EQ(buffer->Create(64, nullptr, BufferUsage::StaticCopy), kOk);  // keeps its 16 bytes
    EXPECT_EQ(buffer->MapBuffer(MapAccess::Read), nullptr);
    ExpectMessages({{kError, "OpenCL: Failed to map buffer: -30"}});
}

// The compute queries answer from the device, or with their fall-backs; without its own query the video
// memory is the device's (half of it where the device shares the host's memory).
TEST_F(ComputeTest, GetInfoAnswersFromTheDevice) {
    const cl_device_id device = Info<cl_device_id>(*context, ContextInfo::ComputeDevice);
    cl_ulong local = 0, global = 0;
    cl_uint units = 0;
    cl_bool unified = CL_FALSE;
    clGetDeviceInfo(device, CL_DEVICE_LOCAL_MEM_SIZE, sizeof local, &local, nullptr);
    clGetDeviceInfo(device, CL_DEVICE_MAX_COMPUTE_UNITS, sizeof units, &units, nullptr);
    clGetDeviceInfo(device, CL_DEVICE_GLOBAL_MEM_SIZE, sizeof global, &global, nullptr);
    clGetDeviceInfo(device, CL_DEVICE_HOST_UNIFIED_MEMORY, sizeof unified, &unified, nullptr);
    char version[256] = {}, name[256] = {};
    size_t versionSize = 0, nameSize = 0;
    EXPECT_TRUE(context->GetInfo(ContextInfo::ComputeVersion, sizeof version, version, &versionSize) == kOk &&
                context->GetInfo(ContextInfo::ComputeDeviceName, sizeof name, name, &nameSize) == kOk);
    EXPECT_EQ(std::string(version) + "|" + name + "|" + std::to_string(versionSize) + "|" + std::to_string(nameSize),
              Text(clGetDeviceInfo, device, CL_DEVICE_VERSION) + "|" + Text(clGetDeviceInfo, device, CL_DEVICE_NAME) +
                  "|" + std::to_string(strlen(version) + 1) + "|" + std::to_string(strlen(name) + 1));
    EXPECT_EQ(Info<uint64_t>(*context, ContextInfo::ComputeLocalMemSize), local);
    EXPECT_EQ(Info<int32_t>(*context, ContextInfo::ComputeUnits), int32_t(units));
    const GLboolean mesaQuery = __GLXEW_MESA_query_renderer;
    __GLXEW_MESA_query_renderer = GL_FALSE;
    ContextPtr fresh = Create(init);
    EXPECT_EQ(Info<uint64_t>(*fresh, ContextInfo::TotalVideoMemory), unified ? global / 2 : global);
    __GLXEW_MESA_query_renderer = mesaQuery;
    twists.deviceInfoFails = true;
    EXPECT_EQ(Info<uint64_t>(*context, ContextInfo::ComputeLocalMemSize), 16384u);
    EXPECT_EQ(Info<int32_t>(*context, ContextInfo::ComputeUnits), 1);
    EXPECT_TRUE(context->GetInfo(ContextInfo::ComputeVersion, sizeof version, version, nullptr) == kOk &&
                std::string(version) == "OpenCL: Unknown");
}

#endif

}  // namespace
