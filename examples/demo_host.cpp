// vindra demo host: what an application does with the library, end to end.
//
// Opens an X window of its own, creates a vindra context on it (OpenGL 4.5 core), draws an indexed
// hexagon with per-vertex colours through a shader program with a transform uniform into a 4x
// multisampled framebuffer with a colour texture, resolves it, draws the texture to the window through a
// second program, and waits for the GPU with a fence. Between frames an OpenCL kernel turns the hexagon
// by writing its positions into the vertex buffer that GL draws from (where the context has compute). The
// last frame is read back, written as a PNG and checked at a few pixels, the smoothed edges included.
//
//   vindra-demo [output.png]      default output: build/demo.png
//
// Exits 0 when every pixel check passed, 1 otherwise (or when anything on the way failed).
#include <X11/Xlib.h>
#undef Success  // Xlib's macro would hide vindra::ResultCode::Success
#undef Always

#include <png.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "vindra/vindra.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr float kRadius = 0.9f;
constexpr float kScale = 0.95f;
constexpr float kAngleDegrees = 15.0f;  // by the transform uniform
constexpr float kTurnDegrees = 30.0f;   // by the kernel, over the frames
constexpr int kFrames = 12;
constexpr float kPi = 3.14159265358979f;
constexpr float kBackground[4] = {0.1f, 0.1f, 0.15f, 1.0f};

struct Vertex {
    float x, y;
    uint8_t rgba[4];
};

struct Rgb {
    uint8_t r, g, b;
};

// Corner colours, counter-clockwise from the +x axis; the centre is white.
constexpr Rgb kCornerColors[6] = {{255, 0, 0}, {255, 255, 0}, {0, 255, 0}, {0, 255, 255}, {0, 0, 255}, {255, 0, 255}};

const char* const kVertexShader = R"(#version 450 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 color;
uniform mat4 transform;
out vec4 vertexColor;
void main() {
    gl_Position = transform * vec4(position, 0.0, 1.0);
    vertexColor = color;
})";

const char* const kFragmentShader = R"(#version 450 core
in vec4 vertexColor;
out vec4 fragColor;
void main() { fragColor = vertexColor; })";

// The second pass: one triangle over the window, each pixel taken from the resolved texture.
const char* const kPresentVertexShader = R"(#version 450 core
void main() { gl_Position = vec4(gl_VertexID == 1 ? 3.0 : -1.0, gl_VertexID == 2 ? 3.0 : -1.0, 0.0, 1.0); })";

const char* const kPresentFragmentShader = R"(#version 450 core
uniform sampler2D image;
out vec4 fragColor;
void main() { fragColor = texelFetch(image, ivec2(gl_FragCoord.xy), 0); })";

constexpr int32_t kSamples = 4;

// Turns the base positions by an angle (cosine c, sine s) into the shared vertex buffer, whose vertices are
// three floats apart: x, y and the four colour bytes, which stay as they are.
const char* const kTurnKernel = R"(
kernel void Turn(global const float2* base, global float* vertices, float c, float s) {
    int i = get_global_id(0);
    float2 p = base[i];
    vertices[3 * i] = c * p.x - s * p.y;
    vertices[3 * i + 1] = s * p.x + c * p.y;
})";

// Rotation and scale, with x narrowed by the window's aspect so that the hexagon stays regular.
// Column-major, as GL takes it.
struct Transform {
    float m[16];

    explicit Transform(float degrees) {
        float angle = degrees * kPi / 180.0f;
        float c = std::cos(angle) * kScale, s = std::sin(angle) * kScale;
        float aspect = static_cast<float>(kHeight) / kWidth;
        const float values[16] = {c * aspect, s, 0, 0, -s * aspect, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
        for (int i = 0; i < 16; ++i) m[i] = values[i];
    }
    // Window pixel (bottom-up, as ReadPixels counts rows) that model point (x, y) lands on.
    void ToPixel(float x, float y, int* px, int* py) const {
        float ndcX = m[0] * x + m[4] * y;
        float ndcY = m[1] * x + m[5] * y;
        *px = static_cast<int>((ndcX + 1.0f) * 0.5f * kWidth);
        *py = static_cast<int>((ndcY + 1.0f) * 0.5f * kHeight);
    }
};

bool Ok(vindra::ResultCode result, const char* what) {
    if (result == vindra::ResultCode{}) return true;  // Success
    std::fprintf(stderr, "vindra-demo: %s failed with result %u\n", what, static_cast<unsigned>(result));
    return false;
}

std::string Info(vindra::Context& context, vindra::ContextInfo query) {
    size_t size = 0;
    context.GetInfo(query, 0, nullptr, &size);
    if (size == 0) return "(unknown)";
    std::vector<char> text(size);
    if (context.GetInfo(query, text.size(), text.data(), nullptr) != vindra::ResultCode{}) return "(unknown)";
    return text.data();
}

// The frame as GL reads it (rows bottom-up) to an RGBA PNG (rows top-down).
bool WritePng(const char* path, const std::vector<uint8_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGBA;
    // A negative stride walks the rows from the last one: the bottom-up frame comes out upright.
    const png_int_32 stride = -static_cast<png_int_32>(kWidth * 4);
    if (!png_image_write_to_file(&image, path, 0, pixels.data(), stride, nullptr)) {
        std::fprintf(stderr, "vindra-demo: cannot write %s: %s\n", path, image.message);
        return false;
    }
    return true;
}

// A window of the host's own on its own X connection, mapped and shown before the context is made.
struct HostWindow {
    Display* display = nullptr;
    Window window = 0;

    bool Open() {
        display = XOpenDisplay(nullptr);
        if (display == nullptr) {
            std::fprintf(stderr, "vindra-demo: cannot open the X display (is DISPLAY set?)\n");
            return false;
        }
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, kWidth, kHeight, 0, 0, 0);
        XStoreName(display, window, "vindra demo");
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        for (XEvent event{}; event.type != MapNotify;) XNextEvent(display, &event);
        return true;
    }
    ~HostWindow() {
        if (display == nullptr) return;
        if (window != 0) XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
};

struct Check {
    std::string what;
    int x, y;
    bool passed;
    uint8_t pixel[4];
};

class Checker {
public:
    explicit Checker(const std::vector<uint8_t>& pixels) : pixels(pixels) {}

    // Every channel within `tolerance` of `expected`.
    void Near(const std::string& what, int x, int y, Rgb expected, int tolerance) {
        const uint8_t* p = At(x, y);
        bool passed = std::abs(p[0] - expected.r) <= tolerance && std::abs(p[1] - expected.g) <= tolerance &&
                      std::abs(p[2] - expected.b) <= tolerance;
        Add(what, x, y, passed);
    }
    // Channels that are full in `pattern` at least `high`, empty ones at most `low`.
    void Dominated(const std::string& what, int x, int y, Rgb pattern, int high, int low) {
        const uint8_t* p = At(x, y);
        const uint8_t want[3] = {pattern.r, pattern.g, pattern.b};
        bool passed = true;
        for (int i = 0; i < 3; ++i) passed = passed && (want[i] != 0 ? p[i] >= high : p[i] <= low);
        Add(what, x, y, passed);
    }

    // A pixel found by the caller's scan, or none (passed false).
    void Smoothed(const std::string& what, int x, int y, bool passed) { Add(what, x, y, passed); }

    const std::vector<Check>& Results() const { return checks; }

private:
    const uint8_t* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * kWidth + x) * 4]; }
    void Add(const std::string& what, int x, int y, bool passed) {
        const uint8_t* p = At(x, y);
        checks.push_back(Check{what, x, y, passed, {p[0], p[1], p[2], p[3]}});
    }

    const std::vector<uint8_t>& pixels;
    std::vector<Check> checks;
};

std::vector<Vertex> HexagonVertices() {
    std::vector<Vertex> vertices = {{0.0f, 0.0f, {255, 255, 255, 255}}};
    for (int i = 0; i < 6; ++i) {
        float angle = i * kPi / 3.0f;
        const Rgb& c = kCornerColors[i];
        vertices.push_back({kRadius * std::cos(angle), kRadius * std::sin(angle), {c.r, c.g, c.b, 255}});
    }
    return vertices;
}

std::vector<uint16_t> HexagonIndices() {
    std::vector<uint16_t> indices;
    for (uint16_t i = 0; i < 6; ++i) {
        indices.push_back(0);
        indices.push_back(static_cast<uint16_t>(1 + i));
        indices.push_back(static_cast<uint16_t>(1 + (i + 1) % 6));
    }
    return indices;
}

// Everything the host makes through the context, released through it in one place.
struct Scene {
    vindra::Context* context = nullptr;
    vindra::ShaderProgram* program = nullptr;
    vindra::VertexBuffer* vertices = nullptr;
    vindra::IndexBuffer* indices = nullptr;
    vindra::VertexArray* array = nullptr;
    vindra::FenceSync* fence = nullptr;
    vindra::Texture* image = nullptr;  // the off-screen render, resolved
    vindra::Framebuffer* offscreen = nullptr;
    vindra::ShaderProgram* present = nullptr;
    vindra::ComputeProgram* turn = nullptr;      // null without compute
    vindra::ComputeBuffer* positions = nullptr;  // the hexagon's own positions, which the kernel turns

    ~Scene() {
        if (context == nullptr) return;
        if (turn != nullptr) context->ReleaseComputeProgram(&turn);
        if (positions != nullptr) context->ReleaseComputeBuffer(&positions);
        context->BindVertexArray(nullptr);
        context->BindIndexBuffer(nullptr);
        context->BindShaderProgram(nullptr);
        context->BindTexture(nullptr, 0, 0);
        context->ReleaseFramebuffer(&offscreen);  // before the texture it renders into
        context->ReleaseTexture(&image);
        context->ReleaseShaderProgram(&present);
        context->ReleaseFenceSync(&fence);
        context->ReleaseVertexArray(&array);  // before the buffer it lists
        context->ReleaseIndexBuffer(&indices);
        context->ReleaseVertexBuffer(&vertices);
        context->ReleaseShaderProgram(&program);
        delete context;
    }

    bool Build(const Transform& transform, int32_t* vertexCount, int32_t* indexCount) {
        program = context->CreateShaderProgram();
        if (!Ok(program->AddShader(vindra::ShaderStage::Vertex, 1, &kVertexShader, nullptr), "vertex shader") ||
            !Ok(program->AddShader(vindra::ShaderStage::Fragment, 1, &kFragmentShader, nullptr), "fragment shader") ||
            !Ok(program->Link(), "program link"))
            return false;
        int32_t transformIndex = program->AddUniformVariable(0, "transform", vindra::UniformType::Mat4, 1, 1);
        if (!Ok(program->ResolveUniformVariables(), "uniform lookup") ||
            !Ok(program->SetUniformValue(transformIndex, transform.m, sizeof transform.m), "transform upload"))
            return false;

        std::vector<Vertex> hexagon = HexagonVertices();
        std::vector<uint16_t> triangles = HexagonIndices();
        *vertexCount = static_cast<int32_t>(hexagon.size());
        *indexCount = static_cast<int32_t>(triangles.size());

        vindra::VertexLayout layout{};
        layout.stride = sizeof(Vertex);
        layout.attributeCount = 2;
        layout.attributes[0] = {0, vindra::VertexAttributeType::Float32, 2, 0, false};
        layout.attributes[1] = {1, vindra::VertexAttributeType::UInt8, 4, offsetof(Vertex, rgba), true};
        vertices = context->CreateVertexBuffer();
        if (!Ok(vertices->BufferData(hexagon.size() * sizeof(Vertex), hexagon.data(), vindra::BufferUsage::StaticDraw),
                "vertex upload") ||
            !Ok(vertices->SetVertexLayout(&layout), "vertex layout"))
            return false;

        indices = context->CreateIndexBuffer();
        if (!Ok(indices->SetIndexType(vindra::IndexType::UInt16), "index type") ||
            !Ok(indices->BufferData(triangles.size() * sizeof(uint16_t), triangles.data(),
                                    vindra::BufferUsage::StaticDraw),
                "index upload"))
            return false;

        array = context->CreateVertexArray();
        fence = context->CreateFenceSync();
        if (!Ok(array->SetVertexBuffer(vertices, 0, 0), "vertex array")) return false;

        image = context->CreateTexture();
        if (!Ok(image->Init(vindra::TextureDesc{vindra::PixelFormat::RGBA8, kWidth, kHeight, 0, 0, 1, 0, 0}),
                "texture"))
            return false;
        offscreen = context->CreateFramebuffer();
        vindra::FramebufferDesc target{image, kSamples,
                                       0,     0,
                                       0,     vindra::PixelFormat::RGBA8,
                                       1,     vindra::PixelFormat::Depth24Stencil8,
                                       0,     vindra::PixelFormat::Stencil8};
        present = context->CreateShaderProgram();
        return Ok(offscreen->Init(target), "framebuffer") &&
               Ok(present->AddShader(vindra::ShaderStage::Vertex, 1, &kPresentVertexShader, nullptr), "present") &&
               Ok(present->AddShader(vindra::ShaderStage::Fragment, 1, &kPresentFragmentShader, nullptr), "present") &&
               Ok(present->Link(), "present link");
    }

    // The kernel that turns the mesh, on the base positions; false without compute (the mesh stays).
    bool BuildTurn() {
        turn = context->CreateComputeProgram();
        if (turn == nullptr) return false;
        std::vector<float> base;
        for (const Vertex& vertex : HexagonVertices()) base.insert(base.end(), {vertex.x, vertex.y});
        positions = context->CreateComputeBuffer();
        vindra::ComputeKernel* kernel = nullptr;
        return Ok(vindra::ResultCode(turn->AddSources(1, &kTurnKernel, nullptr)), "kernel source") &&
               turn->Build() == 0 && (kernel = turn->GetKernel("Turn")) != nullptr &&
               Ok(positions->Create(base.size() * sizeof(float), base.data(), vindra::BufferUsage::StaticDraw),
                  "positions") &&
               Ok(kernel->SetArgument(0, vindra::KernelArgKind::ArgComputeBuffer, 0, positions), "kernel base") &&
               Ok(kernel->SetArgument(1, vindra::KernelArgKind::ArgVertexBuffer, 0, vertices), "kernel vertices");
    }

    // Turns the mesh by `degrees` between frames: GL's work first, the kernel, then OpenCL's before GL's again.
    bool Turn(float degrees, size_t vertexCount) {
        vindra::ComputeKernel* kernel = turn->GetKernel("Turn");
        const float c = std::cos(degrees * kPi / 180.0f), s = std::sin(degrees * kPi / 180.0f);
        return Ok(kernel->SetArgument(2, vindra::KernelArgKind::ArgValue, sizeof c, &c), "kernel cosine") &&
               Ok(kernel->SetArgument(3, vindra::KernelArgKind::ArgValue, sizeof s, &s), "kernel sine") &&
               Ok(context->SyncPreCompute(), "GL before compute") &&
               Ok(context->ExecuteComputeKernel(kernel, 1, &vertexCount, nullptr), "kernel") &&
               context->SyncPostCompute() == 0;
    }

    // The scene into the multisampled framebuffer, resolved into the texture, then the texture to the window.
    bool Draw(int32_t indexCount) {
        return Ok(context->BindFramebuffer(offscreen), "framebuffer bind") &&
               Ok(context->SetViewPort(0, 0, kWidth, kHeight), "viewport") &&
               Ok(context->Clear(vindra::ClearColorBuffer | vindra::ClearDepthBuffer, kBackground, 1.0, 0), "clear") &&
               Ok(context->BindShaderProgram(program), "program bind") &&
               // The index buffer binding lives in the vertex array object: vertex array first.
               Ok(context->BindVertexArray(array), "vertex array bind") &&
               Ok(context->BindIndexBuffer(indices), "index buffer bind") &&
               Ok(context->DrawIndexedPrimitives(vindra::PrimitiveType::Triangles, indexCount, 0, 0), "draw") &&
               Ok(offscreen->ResolveMultisample(), "resolve") && Ok(context->BindFramebuffer(nullptr), "window bind") &&
               Ok(context->BindShaderProgram(present), "present bind") &&
               Ok(context->BindTexture(image, 0, 0), "texture bind") &&
               Ok(context->DrawPrimitives(vindra::PrimitiveType::Triangles, 0, 3), "present") &&
               Ok(fence->SetFence(), "fence") && Ok(fence->ClientWait(), "fence wait");
    }
};

}  // namespace

int main(int argc, char** argv) {
    const char* output = argc > 1 ? argv[1] : "build/demo.png";
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [output.png]\n", argv[0]);
        return 2;
    }

    HostWindow host;
    if (!host.Open()) return 1;

    vindra::ContextInitData init{};
    init.name = "vindra-demo";
    init.type = 1;
    init.window = host.window;
    init.majorVersion = 4;
    init.minorVersion = 5;
    init.coreProfile = true;
    init.clPlatformIndex = -1;
    init.clDeviceIndex = -1;

    Scene scene;
    scene.context = vindra::CreateContext(init);
    if (scene.context == nullptr) {
        std::fprintf(stderr, "vindra-demo: no context could be created (see the messages above)\n");
        return 1;
    }
    vindra::Context& context = *scene.context;

    int32_t vertexCount = 0, indexCount = 0;
    if (!scene.Build(Transform(kAngleDegrees), &vertexCount, &indexCount)) return 1;
    // Animated where the context has compute: each frame the kernel turns the mesh a step further.
    const bool animated = scene.BuildTurn();
    const int frames = animated ? kFrames : 1;
    for (int frame = 1; frame <= frames; ++frame) {
        if (animated && !scene.Turn(kTurnDegrees * frame / kFrames, size_t(vertexCount))) return 1;
        if (!scene.Draw(indexCount)) return 1;
        if (frame < frames) context.SwapBuffers(false);
    }
    Transform transform(kAngleDegrees + (animated ? kTurnDegrees : 0.0f));  // where the last frame has the mesh

    // The fence has passed: the frame in the back buffer (id 1) is complete.
    std::vector<float> frame(static_cast<size_t>(kWidth) * kHeight * 4);
    if (!Ok(context.ReadPixels(1, 0, 0, kWidth, kHeight, frame.data()), "reading the frame back")) return 1;
    std::vector<uint8_t> pixels(frame.size());
    for (size_t i = 0; i < frame.size(); ++i) pixels[i] = static_cast<uint8_t>(std::lround(frame[i] * 255.0f));
    context.SwapBuffers(false);  // and show it

    std::printf("vindra demo host\n");
    std::printf("  %-10s %s\n", "renderer", Info(context, vindra::ContextInfo::Renderer).c_str());
    std::printf("  %-10s %s\n", "version", Info(context, vindra::ContextInfo::Version).c_str());
    std::printf("  %-10s %dx%d, X window 0x%lx\n", "window", kWidth, kHeight, host.window);
    std::printf("  %-10s hexagon, %d vertices, %d 16-bit indices, rotated %.0f degrees\n", "mesh", vertexCount,
                indexCount, kAngleDegrees);
    std::printf("  %-10s %d samples resolved into an RGBA8 texture, drawn to the window\n", "off-screen", kSamples);
    if (animated)
        std::printf("  %-10s turned %.0f degrees over %d frames by an OpenCL kernel on %s (%s)\n", "compute",
                    kTurnDegrees, kFrames, Info(context, vindra::ContextInfo::ComputeDeviceName).c_str(),
                    Info(context, vindra::ContextInfo::ComputeVersion).c_str());
    else
        std::printf("  %-10s none on this machine: the mesh was not turned\n", "compute");

    bool written = WritePng(output, pixels);
    std::printf("  %-10s %s%s\n", "output", output, written ? "" : " (not written)");

    Checker checker(pixels);
    const Rgb background = {26, 26, 38};  // kBackground in bytes
    checker.Near("background, corner", 2, 2, background, 2);
    int x = 0, y = 0;
    // Between two corners just outside the edge: the hexagon's inner radius is kRadius * cos 30.
    transform.ToPixel(1.05f * kRadius * std::cos(kPi / 6), 1.05f * kRadius * std::sin(kPi / 6), &x, &y);
    checker.Near("background, outside an edge", x, y, background, 2);
    transform.ToPixel(0.0f, 0.0f, &x, &y);
    checker.Near("centre, white", x, y, Rgb{255, 255, 255}, 24);
    // Across the edge between the red and yellow corners: with multisampling some pixel on the border
    // lies between the background and the hexagon.
    bool smoothed = false;
    int edgeX = 0, edgeY = 0;
    for (float r = 0.8f; r < 1.1f && !smoothed; r += 0.005f) {
        transform.ToPixel(r * kRadius * std::cos(kPi / 6), r * kRadius * std::sin(kPi / 6), &x, &y);
        for (int dx = -2; dx <= 2 && !smoothed; ++dx) {
            const uint8_t red = pixels[(static_cast<size_t>(y) * kWidth + x + dx) * 4];
            smoothed = red > 60 && red < 220;
            edgeX = x + dx;
            edgeY = y;
        }
    }
    checker.Smoothed("red-yellow edge, smoothed", edgeX, edgeY, smoothed);
    const char* const names[6] = {"red", "yellow", "green", "cyan", "blue", "magenta"};
    for (int i = 0; i < 6; ++i) {
        // Four fifths of the way to a corner: that corner's colour over a fifth of the centre's white.
        float angle = i * kPi / 3.0f;
        transform.ToPixel(0.8f * kRadius * std::cos(angle), 0.8f * kRadius * std::sin(angle), &x, &y);
        checker.Dominated(std::string("towards the ") + names[i] + " corner", x, y, kCornerColors[i], 180, 100);
    }

    int failed = 0;
    std::printf("  pixel checks (x, y from the bottom left):\n");
    for (const Check& c : checker.Results()) {
        std::printf("    [%s] %-30s (%3d, %3d)  rgba %3d %3d %3d %3d\n", c.passed ? " ok " : "FAIL", c.what.c_str(),
                    c.x, c.y, c.pixel[0], c.pixel[1], c.pixel[2], c.pixel[3]);
        if (!c.passed) ++failed;
    }
    size_t total = checker.Results().size();
    std::printf("  %zu of %zu pixel checks passed\n", total - failed, total);
    return failed == 0 && written ? 0 : 1;
}
