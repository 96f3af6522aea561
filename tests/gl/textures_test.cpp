// Textures, framebuffers and copies on real GL: formats round-trip, swizzles and sampler parameters seen
// by a shader, off-screen rendering with and without multisampling, and pixels moved between
// framebuffers, textures, pixel buffers and host memory.
#include "gl_test.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "gl/gl_context.h"
#include "gl/gl_texture.h"
#include "gl/pixel_format_table.h"

using namespace vindra;
using namespace vindra_test;

namespace {

using Bytes = std::vector<uint8_t>;

// A triangle over the whole target (mode 0 and 1) or over its lower-left half (mode 2), at depth `depth`;
// mode 1 samples unit 0 in the middle, the others paint `color`.
const char* const kShaders[] = {
    "#version 450 core\nuniform int mode;\nuniform float depth;\nvoid main() {\n"
    "  vec2 corner = vec2(gl_VertexID == 1 ? 1 : -1, gl_VertexID == 2 ? 1 : -1);\n"
    "  if (mode != 2) corner = vec2(gl_VertexID == 1 ? 3 : -1, gl_VertexID == 2 ? 3 : -1);\n"
    "  gl_Position = vec4(corner, depth, 1.0);\n}\n",
    "#version 450 core\nuniform int mode;\nuniform vec4 color;\nuniform sampler2D image;\nout vec4 fragColor;\n"
    "void main() { fragColor = mode == 1 ? texture(image, vec2(0.5)) : color; }\n"};

struct Refusal {
    const char* name;
    std::function<uint32_t(Context*, Texture*)> call;
    uint32_t result;
    std::string message;
};

class TextureTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (HasFatalFailure()) return;
        program = glCreateProgram();
        for (GLenum stage : {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER}) {
            GLuint shader = glCreateShader(stage);
            glShaderSource(shader, 1, &kShaders[stage == GL_FRAGMENT_SHADER], nullptr);
            glCompileShader(shader);
            glAttachShader(program, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program);
        glUseProgram(program);
        glViewport(0, 0, 64, 64);
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    void TearDown() override {
        if (context) {
            context->MakeCurrent();
            for (Framebuffer*& framebuffer : framebuffers) context->ReleaseFramebuffer(&framebuffer);
            for (Texture*& texture : textures) context->ReleaseTexture(&texture);
            for (PixelBuffer*& buffer : pixelBuffers) context->ReleasePixelBuffer(&buffer);
            glDeleteProgram(program);
        }
        GlTest::TearDown();
    }
    Texture* MakeTexture(PixelFormat format, int32_t width, int32_t height, int32_t depth = 0, uint8_t target2D = 1) {
        Texture* texture = textures.emplace_back(context->CreateTexture());
        TextureDesc desc{format, width, height, depth, 0, target2D, 0, 0};
        lastInit = texture->Init(desc);
        return texture;
    }
    Framebuffer* MakeFramebuffer(FramebufferDesc& desc) {
        Framebuffer* framebuffer = framebuffers.emplace_back(context->CreateFramebuffer());
        lastInit = framebuffer->Init(desc);
        return framebuffer;
    }
    PixelBuffer* MakePixelBuffer(uint64_t size) {
        PixelBuffer* buffer = pixelBuffers.emplace_back(context->CreatePixelBuffer());
        buffer->BufferData(size, nullptr, BufferUsage::DynamicRead);
        return buffer;
    }
    // Draws with mode and colour through the context, so that pending sampler parameters go first.
    void Draw(int mode, std::array<float, 4> color = {1, 0, 0, 1}, float depth = 0) {
        glUniform1i(glGetUniformLocation(program, "mode"), mode);
        glUniform4fv(glGetUniformLocation(program, "color"), 1, color.data());
        glUniform1f(glGetUniformLocation(program, "depth"), depth);
        EXPECT_EQ(context->DrawPrimitives(PrimitiveType::Triangles, 0, 3), ResultCode::Success);
    }
    // Each call answers its result and reports one message that contains its text.
    template <size_t N>
    void ExpectRefusals(const Refusal (&refusals)[N], Texture* texture) {
        for (const Refusal& refusal : refusals) {
            EXPECT_EQ(refusal.call(context.get(), texture), refusal.result) << refusal.name;
            std::vector<Message> messages = Messages();
            ASSERT_EQ(messages.size(), 1u) << refusal.name << Describe(messages);
            EXPECT_NE(messages[0].text.find(refusal.message), std::string::npos)
                << refusal.name << ": " << messages[0].text;
        }
    }
    static GLint TexParameter(Texture* texture, GLenum pname) {
        GLint value = -1;
        glGetTextureParameteriv(GLuint(texture->GetHandle(0)), pname, &value);
        return value;
    }

    GLuint program = 0;
    ResultCode lastInit = ResultCode::Failed;
    std::vector<Texture*> textures;
    std::vector<Framebuffer*> framebuffers;
    std::vector<PixelBuffer*> pixelBuffers;
};

// A framebuffer description with every field given: what the arguments leave out is absent.
FramebufferDesc Fb(Texture* colour, int32_t samples, int32_t width = 0, int32_t height = 0, uint8_t colorBuffer = 0,
                   PixelFormat colorFormat = PixelFormat::RGBA8, uint8_t depthBuffer = 0,
                   PixelFormat depthFormat = PixelFormat::Depth24Stencil8, uint8_t stencilBuffer = 0,
                   PixelFormat stencilFormat = PixelFormat::Stencil8) {
    return {colour,      samples,     width,       height,        colorBuffer,
            colorFormat, depthBuffer, depthFormat, stencilBuffer, stencilFormat};
}

// Texel data GL stores unchanged for the format: floats and depths in [0, 1], the unused bits of the
// 32F depth-stencil texels clear.
Bytes Pattern(const PixelFormatRow& row, int texels) {
    Bytes bytes(row.bytesPerTexel * texels);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 37 + 11);
    if (row.pixelType == GL_FLOAT || row.pixelType == GL_HALF_FLOAT ||
        row.pixelType == GL_FLOAT_32_UNSIGNED_INT_24_8_REV) {
        const float floats[] = {0.0f, 0.25f, 0.5f, 1.0f};
        const uint16_t halves[] = {0x0000, 0x3400, 0x3800, 0x3C00};
        for (size_t i = 0; i * 4 < bytes.size(); ++i) {
            if (row.pixelType == GL_HALF_FLOAT) {
                if (i * 2 < bytes.size() / 2) std::memcpy(&bytes[i * 2], &halves[i % 4], 2);
            } else if (row.pixelType == GL_FLOAT || i % 2 == 0) {
                std::memcpy(&bytes[i * 4], &floats[i % 4], 4);
            } else {
                uint32_t stencil = uint32_t(i * 5) & 0xFF;
                std::memcpy(&bytes[i * 4], &stencil, 4);
            }
        }
    }
    return bytes;
}

// Every format round-trips through LoadSubImage and ReadImage, on a 2D texture of 4x4 texels.
class FormatRoundTrip : public TextureTest, public ::testing::WithParamInterface<int> {};

TEST_P(FormatRoundTrip, LoadSubImageAndReadImageKeepTheTexels) {
    const PixelFormatRow& row = *FindPixelFormat(PixelFormat(GetParam()), "test");
    Texture* texture = MakeTexture(PixelFormat(GetParam()), 4, 4);
    ASSERT_EQ(lastInit, ResultCode::Success) << Describe(Messages());
    Bytes in = Pattern(row, 16), out(in.size(), 0xEE);
    ASSERT_EQ(texture->LoadSubImage(0, 0, 0, 0, 4, 4, 1, 0, in.data()), ResultCode::Success) << Describe(Messages());
    ASSERT_EQ(texture->ReadImage(0, out.data()), ResultCode::Success) << Describe(Messages());
    EXPECT_EQ(out, in);
    EXPECT_EQ(Get(GL_TEXTURE_BINDING_2D), 0);  // ReadImage leaves nothing bound
}

INSTANTIATE_TEST_SUITE_P(Formats, FormatRoundTrip, ::testing::Range(0, kPixelFormatCount),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(FindPixelFormat(PixelFormat(info.param), "test")->name);
                         });

// What a shader samples from one texel: swizzles show grey, grey-and-alpha, and red and blue exchanged.
struct SampleRow {
    const char* name;
    PixelFormat format;
    Bytes texel;
    std::array<uint8_t, 4> sampled;
};
// clang-format off
const SampleRow kSampleRows[] = {
    {"L8", PixelFormat::L8, {200}, {200, 200, 200, 255}},
    {"LA8", PixelFormat::LA8, {200, 100}, {200, 200, 200, 100}},
    {"L16", PixelFormat::L16, {0x00, 0x80}, {128, 128, 128, 255}},
    {"LA16F", PixelFormat::LA16F, {0x00, 0x38, 0x00, 0x34}, {128, 128, 128, 64}},
    {"RGBA8", PixelFormat::RGBA8, {10, 20, 30, 40}, {10, 20, 30, 40}},
    {"BGRA8", PixelFormat::BGRA8, {10, 20, 30, 40}, {30, 20, 10, 40}},
    {"BGRA16", PixelFormat::BGRA16, {0, 0x20, 0, 0x40, 0, 0x60, 0, 0x80}, {96, 64, 32, 128}},
};
// clang-format on

TEST_F(TextureTest, ShadersSampleTheFormatsSwizzle) {
    for (const SampleRow& row : kSampleRows) {
        SCOPED_TRACE(row.name);
        Texture* texture = MakeTexture(row.format, 1, 1);
        texture->SetMinFilter(TextureFilter::Nearest);
        texture->LoadSubImage(0, 0, 0, 0, 1, 1, 1, 0, row.texel.data());
        context->BindTexture(texture, 0, 0);
        Draw(1);
        std::array<uint8_t, 4> pixel = ReadPixel(32, 32);
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(pixel[c], row.sampled[c], 1) << "channel " << c;
    }
    // A later Init with a format without swizzle sets the identity again.
    Texture* texture = textures.front();
    texture->Init(TextureDesc{PixelFormat::RGBA8, 1, 1, 0, 0, 1, 0, 0});
    EXPECT_EQ(TexParameter(texture, GL_TEXTURE_SWIZZLE_R), GL_RED);
    EXPECT_EQ(TexParameter(texture, GL_TEXTURE_SWIZZLE_A), GL_ALPHA);
}

TEST_F(TextureTest, SamplerParametersReachGlAtTheNextDrawOnlyWhenChanged) {
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 2, 2);
    const float border[4] = {0.5f, 0.25f, 1, 1};
    texture->SetWrapS(TextureWrap::Repeat);
    texture->SetWrapT(TextureWrap::MirroredRepeat);
    texture->SetWrapR(TextureWrap::ClampToBorder);
    texture->SetMinFilter(TextureFilter::LinearMipmapNearest);
    texture->SetMagFilter(TextureFilter::Nearest);
    texture->SetBorderColor(border);
    EXPECT_EQ(TexParameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);  // kept until a draw
    context->BindTexture(texture, 0, 3);
    Draw(0);
    const std::pair<GLenum, GLint> sent[] = {{GL_TEXTURE_WRAP_S, GL_REPEAT},
                                             {GL_TEXTURE_WRAP_T, GL_MIRRORED_REPEAT},
                                             {GL_TEXTURE_WRAP_R, GL_CLAMP_TO_BORDER},
                                             {GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST},
                                             {GL_TEXTURE_MAG_FILTER, GL_NEAREST}};
    for (auto [pname, value] : sent) EXPECT_EQ(TexParameter(texture, pname), value) << std::hex << pname;
    float sentBorder[4] = {};
    glGetTextureParameterfv(GLuint(texture->GetHandle(0)), GL_TEXTURE_BORDER_COLOR, sentBorder);
    EXPECT_EQ(sentBorder[1], 0.25f);
    EXPECT_EQ(Get(GL_ACTIVE_TEXTURE), GL_TEXTURE0);
    // Unchanged values are not sent again: GL keeps what was set behind the texture's back.
    glTextureParameteri(GLuint(texture->GetHandle(0)), GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    texture->SetWrapS(TextureWrap::Repeat);
    Draw(0);
    EXPECT_EQ(TexParameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    EXPECT_EQ(static_cast<GlTexture*>(texture)->GetPendingMask(), 0u);
}

// The target follows the extents; a texture without any is refused and keeps its description.
TEST_F(TextureTest, InitChoosesTheTargetFromTheExtents) {
    struct Row {
        int32_t width, height, depth;
        uint8_t target2D;
        ResultCode result;
        GLenum target;
    };
    const Row rows[] = {
        {8, 0, 0, 1, ResultCode::Success, GL_TEXTURE_1D}, {8, 4, 0, 0, ResultCode::Success, GL_TEXTURE_RECTANGLE},
        {8, 4, 0, 1, ResultCode::Success, GL_TEXTURE_2D}, {8, 0, 2, 1, ResultCode::Success, GL_TEXTURE_3D},
        {8, 4, 2, 0, ResultCode::Success, GL_TEXTURE_3D}, {0, 0, 0, 1, ResultCode::InvalidValue, GlTexture::kNoTarget}};
    for (const Row& row : rows) {
        Texture* texture = MakeTexture(PixelFormat::RGBA8, row.width, row.height, row.depth, row.target2D);
        EXPECT_EQ(lastInit, row.result) << row.width << "x" << row.height << "x" << row.depth;
        EXPECT_EQ(texture->GetHandle(1), row.target);
        EXPECT_EQ(texture->GetDesc()->width, row.width);
    }
    Messages();
}

TEST_F(TextureTest, RefusesBadInputWithAMessage) {
    int32_t limit = Get(GL_MAX_TEXTURE_SIZE);
    Texture* foreign = reinterpret_cast<Texture*>(&limit);
    // clang-format off
    const Refusal refusals[] = {
        {"format", [](Context*, Texture* t) { return uint32_t(t->Init(TextureDesc{PixelFormat(35), 4, 4, 0, 0, 1, 0, 0})); },
         2, "GlTexture::Init: invalid PixelFormat 35"},
        {"extent", [&](Context*, Texture* t) { return uint32_t(t->Init(TextureDesc{PixelFormat::R8, limit + 1, 4, 0, 0, 1, 0, 0})); },
         3, "GlTexture::Init: extent " + std::to_string(limit + 1) + "x4x0 outside 0 to the device's limit " + std::to_string(limit)},
        {"wrap", [](Context*, Texture* t) { return uint32_t(t->SetWrapT(TextureWrap(5))); }, 2, "GlTexture::SetWrapT: invalid TextureWrap 5"},
        {"filter", [](Context*, Texture* t) { return uint32_t(t->SetMagFilter(TextureFilter(-1))); }, 2, "GlTexture::SetMagFilter: invalid TextureFilter -1"},
        {"null load", [](Context*, Texture* t) { return uint32_t(t->LoadSubImage(0, 0, 0, 0, 1, 1, 1, 0, nullptr)); },
         3, "GlTexture::LoadSubImage: null data and no pixel buffer bound"},
        {"null read", [](Context*, Texture* t) { return uint32_t(t->ReadImage(0, nullptr)); }, 3, "GlTexture::ReadImage: null data and no pixel buffer bound"},
        {"unit", [](Context* c, Texture* t) { return uint32_t(c->BindTexture(t, 0, 16)); }, 3, "GlContext::BindTexture: unit 16 outside 0 to 15"},
        {"foreign", [&](Context* c, Texture*) { return uint32_t(c->BindTexture(foreign, 0, 0)); }, 3, "not a texture of this library"},
        {"release foreign", [&](Context* c, Texture*) { Texture* f = foreign; return c->ReleaseTexture(&f); }, 3, "not a texture of this library"},
        {"read null", [](Context* c, Texture*) { return uint32_t(c->ReadPixels(0, 0, 0, 1, 1, nullptr)); }, 3, "GlContext::ReadPixels: null rgba"},
    };
    // clang-format on
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 4, 4);
    ExpectRefusals(refusals, texture);
    // Before any Init there is nothing to load into: no message, no GL call.
    Texture* empty = textures.emplace_back(context->CreateTexture());
    EXPECT_EQ(empty->LoadSubImage(0, 0, 0, 0, 1, 1, 1, 0, &limit), ResultCode::InvalidOperation);
}

TEST_F(TextureTest, ReleasesLeaveExternalTexturesAndOtherContextsIntact) {
    GLuint external = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &external);
    Texture* wrapped = textures.emplace_back(context->CreateTexture());
    EXPECT_EQ(wrapped->Init(TextureDesc{PixelFormat::RGBA8, 4, 4, 0, 0, 1, TextureFlagExternal, external}),
              ResultCode::Success);
    EXPECT_EQ(wrapped->GetHandle(0), external);
    context->ReleaseTexture(&textures.back());
    EXPECT_TRUE(glIsTexture(external));
    // A texture bound on two units here and on a shared context, released here: both records go.
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 4, 4);
    context->BindTexture(texture, 0, 2);
    context->BindTexture(texture, 0, 5);
    ContextPtr shared(context->CreateSharedContext());
    shared->MakeCurrent();
    shared->BindTexture(texture, 0, 1);
    context->MakeCurrent();
    EXPECT_EQ(context->ReleaseTexture(&textures.back()), 0u);
    EXPECT_EQ(Get(GL_TEXTURE_BINDING_2D), 0);
    shared->MakeCurrent();
    // ASan sees any read of the freed texture from the shared context's units.
    EXPECT_EQ(shared->DrawPrimitives(PrimitiveType::Points, 0, 0), ResultCode::Success);
    shared.reset();
    context->MakeCurrent();
}

// Off-screen, single-sampled and with 16 samples asked for (clamped): a near white triangle hides the far
// green behind it through the depth-stencil attachment, and the resolve averages the edge.
TEST_F(TextureTest, FramebuffersDepthTestAndResolveASmoothedEdge) {
    for (int32_t samples : {1, 16}) {
        SCOPED_TRACE(samples);
        Texture* texture = MakeTexture(PixelFormat::RGBA8, 64, 64);
        FramebufferDesc desc = Fb(texture, samples, 0, 0, 0, PixelFormat::RGBA8, 1);
        Framebuffer* framebuffer = MakeFramebuffer(desc);
        EXPECT_EQ(desc.samples, std::min(samples, Get(GL_MAX_SAMPLES)));
        ASSERT_EQ(context->BindFramebuffer(framebuffer), ResultCode::Success);
        EXPECT_EQ(context->GetBoundFramebuffer(), framebuffer);
        const float black[4] = {0, 0, 0, 1};
        context->Clear(ClearColorBuffer | ClearDepthBuffer, black, 1, 0);
        context->EnableDepthTest(true);
        Draw(2, {1, 1, 1, 1}, -0.5f);
        Draw(0, {0, 1, 0, 1}, 0.5f);  // behind the triangle: seen only around it
        context->EnableDepthTest(false);
        EXPECT_EQ(framebuffer->ResolveMultisample(), ResultCode::Success);
        context->BindFramebuffer(nullptr);
        Bytes pixels(64 * 64 * 4);
        texture->ReadImage(0, pixels.data());
        EXPECT_EQ(Bytes(&pixels[(10 * 64 + 10) * 4], &pixels[(10 * 64 + 10) * 4 + 4]), (Bytes{255, 255, 255, 255}));
        EXPECT_EQ(Bytes(&pixels[(50 * 64 + 50) * 4], &pixels[(50 * 64 + 50) * 4 + 4]), (Bytes{0, 255, 0, 255}));
        int between = 0;
        for (int x = 0; x < 64; ++x) between += pixels[((63 - x) * 64 + x) * 4] % 255 != 0;
        EXPECT_EQ(between > 32, samples > 1) << between << " edge pixels between white and green";
    }
}

// A framebuffer of this context bound on a shared one renders through that context's spare objects.
TEST_F(TextureTest, SharedContextRendersIntoTheSameTexture) {
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 8, 8);
    FramebufferDesc desc = Fb(texture, 1);
    Framebuffer* framebuffer = MakeFramebuffer(desc);
    ContextPtr shared(context->CreateSharedContext());
    shared->MakeCurrent();
    EXPECT_EQ(shared->BindFramebuffer(framebuffer), ResultCode::Success);
    EXPECT_NE(Get(GL_FRAMEBUFFER_BINDING), GLint(framebuffer->GetHandle()));
    const float blue[4] = {0, 0, 1, 1};
    shared->Clear(ClearColorBuffer, blue, 1, 0);
    EXPECT_EQ(shared->BindFramebuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Get(GL_FRAMEBUFFER_BINDING), 0);
    shared->Finish();
    context->MakeCurrent();
    Bytes pixels(8 * 8 * 4);
    texture->ReadImage(0, pixels.data());
    EXPECT_EQ(Bytes(pixels.begin(), pixels.begin() + 4), (Bytes{0, 0, 255, 255}));
    // Bound there again and released here: the shared context's record goes with it.
    shared->MakeCurrent();
    shared->BindFramebuffer(framebuffer);
    context->MakeCurrent();
    context->ReleaseFramebuffer(&framebuffers.back());
    shared->MakeCurrent();
    EXPECT_EQ(shared->GetBoundFramebuffer(), nullptr);
    shared.reset();
    context->MakeCurrent();
}

TEST_F(TextureTest, FramebufferRefusalsAndIncompleteObjects) {
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 8, 8);
    Texture* depthTexture = MakeTexture(PixelFormat::Depth16, 8, 8);
    int32_t maxAttachments = Get(GL_MAX_COLOR_ATTACHMENTS);
    auto init = [&](FramebufferDesc desc) {
        MakeFramebuffer(desc);
        return uint32_t(lastInit);
    };
    FramebufferDesc colour = Fb(texture, 1);
    Framebuffer* framebuffer = MakeFramebuffer(colour);
    // clang-format off
    const Refusal refusals[] = {
        {"colour as depth", [&](Context*, Texture*) { return init(Fb(nullptr, 1, 8, 8, 0, PixelFormat::RGBA8, 1, PixelFormat::RGBA8)); },
         3, "GlFramebuffer::Init: depthFormat RGBA8 does not suit that attachment"},
        {"depth as colour", [&](Context*, Texture*) { return init(Fb(nullptr, 1, 8, 8, 1, PixelFormat::Depth16)); },
         3, "GlFramebuffer::Init: colorFormat Depth16 does not suit that attachment"},
        {"depth texture", [&](Context*, Texture*) { return init(Fb(depthTexture, 1)); },
         3, "GlFramebuffer::Init: colour texture format Depth16 does not suit that attachment"},
        {"stencil format", [&](Context*, Texture*) { return init(Fb(nullptr, 1, 8, 8, 0, PixelFormat::RGBA8, 0, PixelFormat::RGBA8, 1, PixelFormat(40))); },
         2, "GlFramebuffer::Init: invalid PixelFormat 40"},
        {"no size", [&](Context*, Texture*) { return init(Fb(nullptr, 4, 0, 8, 1, PixelFormat::RGBA8)); },
         3, "GlFramebuffer::Init: size 0x8 outside 1 to the device's limit"},
        {"foreign", [&](Context*, Texture*) { return init(Fb(reinterpret_cast<Texture*>(&maxAttachments), 1)); },
         3, "GlFramebuffer::Init: "},
        {"index", [&](Context*, Texture* t) { return uint32_t(framebuffer->AttachColorTexture(t, maxAttachments)); },
         3, "GlFramebuffer::AttachColorTexture: index " + std::to_string(maxAttachments) + " beyond the device's"},
        {"incomplete", [&](Context*, Texture*) { return init(Fb(nullptr, 1)); },
         0, "GlFramebuffer::AttachBuffers: Framebuffer not complete: 0x8cd7"},
    };
    // clang-format on
    ExpectRefusals(refusals, texture);
    // Attachment indices: negative, or detaching an empty or missing entry, are refused without a word;
    // a texture at index 3 grows the list and lands at GL_COLOR_ATTACHMENT3.
    EXPECT_EQ(framebuffer->AttachColorTexture(texture, -1), ResultCode::InvalidOperation);
    EXPECT_EQ(framebuffer->AttachColorTexture(texture, 3), ResultCode::Success);
    EXPECT_EQ(framebuffer->AttachColorTexture(nullptr, 2), ResultCode::InvalidOperation);
    EXPECT_EQ(framebuffer->AttachColorTexture(nullptr, 5), ResultCode::InvalidOperation);
    GLint attached = 0;
    glGetNamedFramebufferAttachmentParameteriv(framebuffer->GetHandle(), GL_COLOR_ATTACHMENT3,
                                               GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &attached);
    EXPECT_EQ(GLuint(attached), texture->GetHandle(0));
    EXPECT_EQ(framebuffer->AttachColorTexture(nullptr, 3), ResultCode::Success);
    EXPECT_EQ(Messages(), std::vector<Message>{});
}

TEST_F(TextureTest, TexelsTravelThroughPixelBuffersAtAnOffset) {
    Texture* source = MakeTexture(PixelFormat::RGBA8, 8, 4);
    Texture* destination = MakeTexture(PixelFormat::RGBA8, 8, 4);
    Bytes texels = Pattern(*FindPixelFormat(PixelFormat::RGBA8, "test"), 32), out(128);
    source->LoadSubImage(0, 0, 0, 0, 8, 4, 1, 0, texels.data());
    PixelBuffer* buffer = MakePixelBuffer(512);
    GLint framebufferBefore = Get(GL_FRAMEBUFFER_BINDING);
    EXPECT_EQ(context->CopyTextureToBuffer(source, buffer, 256), ResultCode::Success);
    EXPECT_EQ(Get(GL_FRAMEBUFFER_BINDING), framebufferBefore);
    EXPECT_EQ(Get(GL_PIXEL_PACK_BUFFER_BINDING), 0);
    ResultCode status = ResultCode::Failed;
    auto* mapped = static_cast<const uint8_t*>(buffer->MapBuffer(MapAccess::Read, &status));
    ASSERT_NE(mapped, nullptr);
    EXPECT_EQ(Bytes(mapped + 256, mapped + 384), texels);
    buffer->UnmapBuffer();
    EXPECT_EQ(context->CopyBufferToTexture(buffer, 256, destination), 0u);
    EXPECT_EQ(Get(GL_PIXEL_UNPACK_BUFFER_BINDING), 0);
    destination->ReadImage(0, out.data());
    EXPECT_EQ(out, texels);
    PixelBuffer* empty = pixelBuffers.emplace_back(context->CreatePixelBuffer());
    // clang-format off
    const Refusal refusals[] = {
        {"past the end", [&](Context* c, Texture* t) { return uint32_t(c->CopyTextureToBuffer(t, buffer, 385)); },
         3, "GlContext::CopyTextureToBuffer: 128 bytes at offset 385 leave the pixel buffer of 512 bytes"},
        {"offset wraps", [&](Context* c, Texture* t) { return c->CopyBufferToTexture(buffer, UINT64_MAX, t); },
         3, "GlContext::CopyBufferToTexture: 128 bytes at offset 18446744073709551615 leave"},
        {"no storage", [&](Context* c, Texture* t) { return c->CopyBufferToTexture(empty, 0, t); },
         3, "GlContext::CopyBufferToTexture: the pixel buffer has no storage (BufferData first)"},
        {"null buffer", [&](Context* c, Texture* t) { return uint32_t(c->CopyTextureToBuffer(t, nullptr, 0)); },
         3, "GlContext::CopyTextureToBuffer: null pixel buffer"},
        {"null texture", [&](Context* c, Texture*) { return uint32_t(c->CopyFramebuffer(1, nullptr)); },
         3, "GlContext::CopyFramebuffer: null texture"},
    };
    // clang-format on
    ExpectRefusals(refusals, source);
}

// The window's back buffer into host memory and into a texture, with and without the direct-state entry point.
TEST_F(TextureTest, ReadPixelsAndCopyFramebufferChooseTheirBuffers) {
    const float green[4] = {0, 1, 0, 1}, red[4] = {1, 0, 0, 1};
    context->Clear(ClearColorBuffer, green, 1, 0);
    float rgba[2 * 2 * 4] = {};
    EXPECT_EQ(context->ReadPixels(1, 4, 4, 2, 2, rgba), ResultCode::Success);
    EXPECT_EQ(std::vector<float>(rgba + 12, rgba + 16), (std::vector<float>{0, 1, 0, 1}));
    EXPECT_EQ(Get(GL_READ_BUFFER), GL_FRONT);
    Texture* texture = MakeTexture(PixelFormat::RGBA8, 4, 4);
    auto copyDirectStateAccess = __glewCopyTextureSubImage2DEXT;
    for (bool directStateAccess : {true, false}) {
        __glewCopyTextureSubImage2DEXT = directStateAccess ? copyDirectStateAccess : nullptr;
        context->Clear(ClearColorBuffer, directStateAccess ? green : red, 1, 0);
        EXPECT_EQ(context->CopyFramebuffer(7, texture), ResultCode::Success);
        Bytes texels(64);
        texture->ReadImage(0, texels.data());
        EXPECT_EQ(Bytes(texels.begin() + 60, texels.end()),
                  directStateAccess ? (Bytes{0, 255, 0, 255}) : (Bytes{255, 0, 0, 255}));
    }
    __glewCopyTextureSubImage2DEXT = copyDirectStateAccess;
    // With a framebuffer bound, 0 reads its colour; another id is a warning and reads GL_FRONT, which GL refuses.
    FramebufferDesc desc = Fb(texture, 1);
    context->BindFramebuffer(MakeFramebuffer(desc));
    EXPECT_EQ(context->ReadPixels(0, 0, 0, 1, 1, rgba), ResultCode::Success);
    EXPECT_EQ(rgba[0], 1.0f);
    EXPECT_EQ(context->ReadPixels(1, 0, 0, 1, 1, rgba), ResultCode::InvalidOperation);
    std::vector<Message> messages = Messages();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], (Message{kWarning, "GlContext::ReadPixel: Unknown buffer id: 1"}));
    context->BindFramebuffer(nullptr);
}

}  // namespace
