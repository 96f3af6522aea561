// GlContext: the OpenGL state that every operation shares, and every operation that does not depend
// on the window system. The platform classes (GlxContext, WglContext) derive from it.
#ifndef VINDRA_SRC_GL_GL_CONTEXT_H
#define VINDRA_SRC_GL_GL_CONTEXT_H

#include <cstdint>
#include <memory>
#include <vector>

#include "gl/driver_quirks.h"
#include "vindra/context.h"

namespace vindra {

class GlVertexArray;
class GlIndexBuffer;
class GlShaderProgram;
class GlTexture;
class GlFramebuffer;
class ClState;

// Keeps no copy of render state: every setter reaches GL on every call.
class GlContext : public Context {
public:
    static constexpr int kNameCapacity = 32;          // 31 characters and the NUL
    static constexpr uint32_t kNoIndexType = 0x0500;  // GL_INVALID_ENUM: no index buffer bound yet

    GlContext() = default;
    GlContext(const GlContext&) = delete;
    GlContext& operator=(const GlContext&) = delete;
    ~GlContext() override;

    const char* GetName() override;
    int32_t GetType() override;
    bool ReservedQuery3() override;
    ResultCode GetInfo(ContextInfo query, size_t size, void* data, size_t* sizeRet) override;
    bool ReservedQuery10() override;
    void SetClient(Context* client) override;
    uint32_t SwapBuffers(bool withClient) override;
    bool ReservedQuery16() override;
    uint64_t ReservedQuery17() override;
    uint32_t Flush() override;
    uint32_t Finish() override;
    int32_t ReservedQuery20() override;
    bool ReservedQuery21() override;

    ResultCode SetViewPort(int32_t x, int32_t y, int32_t width, int32_t height) override;
    ResultCode GetViewPort(int32_t* x, int32_t* y, int32_t* width, int32_t* height) override;
    ResultCode EnableScissor(bool enable) override;
    bool IsScissorEnabled() override;
    ResultCode SetScissorRect(int32_t x, int32_t y, int32_t width, int32_t height) override;
    ResultCode GetScissorRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) override;
    ResultCode EnableDepthTest(bool enable) override;
    ResultCode SetDepthMask(bool write) override;
    ResultCode SetDepthFunc(CompareFunc func) override;
    ResultCode EnableStencilTest(bool enable) override;
    ResultCode SetStencilFunc(CompareFunc func, int32_t reference, uint32_t mask) override;
    ResultCode SetStencilOp(StencilOp stencilFail, StencilOp depthFail, StencilOp depthPass) override;
    ResultCode SetColorMask(bool red, bool green, bool blue, bool alpha) override;
    ResultCode EnableBlend(bool enable) override;
    ResultCode SetBlendEquation(BlendEquation rgb, BlendEquation alpha) override;
    ResultCode SetBlendFunc(BlendFactor srcRgb, BlendFactor dstRgb, BlendFactor srcAlpha,
                            BlendFactor dstAlpha) override;
    ResultCode SetBlendColor(const float rgba[4]) override;
    ResultCode SetTriangleFillMode(FillMode mode) override;
    ResultCode EnableClipDistance(uint32_t index, bool enable) override;
    ResultCode SetPatchParameter(PatchParameter name, const int32_t* values) override;
    ResultCode Clear(uint32_t clearFlags, const float color[4], double depth, int32_t stencil) override;

    VertexBuffer* CreateVertexBuffer() override;
    uint32_t ReleaseVertexBuffer(VertexBuffer** buffer) override;
    VertexArray* CreateVertexArray() override;
    uint32_t ReleaseVertexArray(VertexArray** array) override;
    ResultCode BindVertexArray(VertexArray* array) override;
    IndexBuffer* CreateIndexBuffer() override;
    uint32_t ReleaseIndexBuffer(IndexBuffer** buffer) override;
    ResultCode BindIndexBuffer(IndexBuffer* buffer) override;
    UniformBuffer* CreateUniformBuffer() override;
    uint32_t ReleaseUniformBuffer(UniformBuffer** buffer) override;
    ResultCode BindUniformBuffer(UniformBuffer* buffer, int32_t ignored, uint32_t bindingPoint) override;
    ResultCode UnBindUniformBuffer(UniformBuffer* buffer) override;
    PixelBuffer* CreatePixelBuffer() override;
    uint32_t ReleasePixelBuffer(PixelBuffer** buffer) override;
    ShaderLibrary* CreateShaderLibrary() override;
    uint32_t ReleaseShaderLibrary(ShaderLibrary** library) override;
    ShaderProgram* CreateShaderProgram() override;
    uint32_t ReleaseShaderProgram(ShaderProgram** program) override;
    ResultCode BindShaderProgram(ShaderProgram* program) override;
    ShaderProgram* GetBoundShaderProgram() override;
    Texture* CreateTexture() override;
    uint32_t ReleaseTexture(Texture** texture) override;
    ResultCode BindTexture(Texture* texture, int32_t ignored, int32_t unit) override;
    Framebuffer* CreateFramebuffer() override;
    uint32_t ReleaseFramebuffer(Framebuffer** framebuffer) override;
    ResultCode BindFramebuffer(Framebuffer* framebuffer) override;
    Framebuffer* GetBoundFramebuffer() override;
    ResultCode DrawPrimitives(PrimitiveType type, int32_t first, int32_t count) override;
    ResultCode DrawIndexedPrimitives(PrimitiveType type, int32_t count, uint64_t indexByteOffset,
                                     int32_t baseVertex) override;
    FenceSync* CreateFenceSync() override;
    uint32_t ReleaseFenceSync(FenceSync** fence) override;
    ResultCode CopyFramebuffer(uint32_t buffer, Texture* destination) override;
    ResultCode ReadPixels(uint32_t bufferId, int32_t x, int32_t y, int32_t width, int32_t height, float* rgba) override;
    ResultCode CopyTextureToBuffer(Texture* source, PixelBuffer* destination, uint64_t byteOffset) override;
    uint32_t CopyBufferToTexture(PixelBuffer* source, uint64_t byteOffset, Texture* destination) override;
    ResultCode SyncPreCompute() override;
    uint32_t SyncPostCompute() override;
    ComputeProgram* CreateComputeProgram() override;
    ResultCode ReleaseComputeProgram(ComputeProgram** program) override;
    ResultCode ExecuteComputeKernel(ComputeKernel* kernel, uint32_t workDim, const size_t* globalWorkSize,
                                    const size_t* localWorkSize) override;
    ComputeBuffer* CreateComputeBuffer() override;
    ResultCode ReleaseComputeBuffer(ComputeBuffer** buffer) override;
    ResultCode CopyComputeBuffer(ComputeBuffer* source, ComputeBuffer* destination, size_t sourceOffset,
                                 size_t destinationOffset, size_t size) override;

    // The implementation's own operations (slots 86 to 88), public here.
    bool Init(ContextInitData& init) override = 0;  // makes the GL context and its own objects
    int64_t GetTotalVideoMemory() override;         // bytes, 0 when nothing can be learned
    int64_t GetAvailableVideoMemory() override;     // bytes, 0 without GL_NVX_gpu_memory_info

    // The window system's handle of the GL context (GLXContext, HGLRC), as it reports what is current.
    virtual const void* NativeHandle() const = 0;

    GpuVendor GetGpuVendor() const { return gpuVendor; }
    // Decided when the context is created; tests switch entries to reach another driver's path.
    DriverQuirks& Quirks() { return quirks; }
    uint32_t GetOwnVao() const { return ownVao; }
    // Index GL type recorded by the last BindIndexBuffer, and the buffer it recorded.
    uint32_t GetIndexGlType() const { return indexType; }
    GlIndexBuffer* GetBoundIndexBuffer() const { return boundIndexBuffer; }
    // Vertex arrays sign in with the context that made them for their lifetime (see vertexArrays).
    void AddVertexArray(GlVertexArray* array);
    void RemoveVertexArray(GlVertexArray* array);
    GlVertexArray* GetBoundVertexArray() const { return boundVertexArray; }
    // A vertex array recorded as bound here is being destroyed: the record goes, with what the
    // context knew of its VAO's element binding.
    void ForgetVertexArray(GlVertexArray* array);
    // An index buffer operation bound GL_ELEMENT_ARRAY_BUFFER and left it at 0: the vertex array
    // object bound now lost its index buffer.
    void NoteElementBindingCleared() { *elementBinding = nullptr; }
    // A texture or framebuffer this context records as bound is being destroyed (wherever it was
    // released): the records go.
    void ForgetTexture(GlTexture* texture);
    void ForgetFramebuffer(GlFramebuffer* framebuffer);
    // The context's own framebuffer objects through which a framebuffer of another context is bound.
    uint32_t SpareFramebuffer(int index) const { return spareFbo[index]; }
    // The compute state, shared with the contexts that share GL objects; null without compute.
    ClState* GetClState() const { return clState.get(); }

    static constexpr int kTextureUnits = 16;

protected:
    // What each window-system layer adds, with its own calls only.
    // Presents this context's own back buffer; 0 success, 1 failure (reported).
    virtual uint32_t PresentBackBuffer() = 0;
    // Reports, with the window system's last error, that the client's SwapBuffers failed.
    virtual void ReportClientSwapFailure() = 0;
    // The video memory of the renderer current on the calling thread, in MiB, where the driver has a
    // query of its own for it (AMD GPU association, Mesa's renderer query); 0 where it has none.
    virtual uint32_t QueryDriverVideoMemoryMiB() = 0;
    // The OpenCL context properties that name the GL context current on the calling thread: two pairs,
    // CL_GL_CONTEXT_KHR and the window system's display or device context.
    virtual void GetClSharingProperties(intptr_t (&properties)[4]) const = 0;

    // Records the GL vendor and the driver's quirks, makes the context's own vertex array (core profile), spare and
    // copy framebuffer objects, and sets pixel alignment 1. Runs on a freshly made-current GL context.
    void SetUpGlObjects();
    // Deletes the names SetUpGlObjects made, in this context's own GL context (the names mean other
    // objects in any other), and leaves the thread's binding as it was, except that this context is
    // then current nowhere. For the layer's destructor, before it destroys the GL context. Current on
    // another thread, the GL context takes the names along when it is destroyed. Lets go of the compute
    // state first (released with the last context that uses it), while the GL context it shares with lives.
    void ReleaseGlObjects();
    void CopyName(const char* source);
    // Takes the compute state of init.shareContext when it has one; otherwise brings up compute of its
    // own on the GL context current now (this one). Without it the context still renders.
    void InitCompute(const ContextInitData& init);
    // Sets up the own GL objects of a context just made to share with this one, on its own GL context,
    // gives it this one's compute state, and leaves the calling thread with the current context it had.
    // Deletes `shared` and answers null when it cannot be made current.
    Context* FinishSharedContext(GlContext* shared);

private:
    // Sends the sampler parameters changed on the textures bound on the units; before every draw.
    void ApplyTextureParameters();
    // Whether GL and OpenCL synchronise by finishing rather than flushing, decided (and reported) at the
    // first asking on a context with compute state; true without one.
    bool IsExplicitInteropSync();

    // The element-binding slot of vertex array 0, which GL binds after an unbind or the deletion of the
    // bound VAO: GL's default VAO (the ownVao slot) in a context without an ownVao.
    GlIndexBuffer** NoVaoElementBinding() { return ownVao != 0 ? &noVaoElementBuffer : &ownVaoElementBuffer; }

    char name[kNameCapacity] = {};
    Context* client = nullptr;
    int64_t videoMemoryCache = 0;
    GpuVendor gpuVendor = GpuVendor::Other;
    DriverQuirks quirks;
    uint32_t indexType = kNoIndexType;
    uint32_t ownVao = 0;
    GlVertexArray* boundVertexArray = nullptr;
    // GL keeps the index buffer binding in the vertex array object, and an index buffer update clears
    // it: a draw without one would hand the driver a null index pointer. The context tracks what each
    // vertex array object it binds holds, so that draws check one pointer and never ask GL.
    GlIndexBuffer* ownVaoElementBuffer = nullptr;           // ownVao's; GL's default VAO's without one
    GlIndexBuffer* noVaoElementBuffer = nullptr;            // vertex array 0 next to an ownVao
    GlIndexBuffer** elementBinding = &ownVaoElementBuffer;  // the slot of the VAO bound in GL now
    GlIndexBuffer* boundIndexBuffer = nullptr;
    GlShaderProgram* boundShaderProgram = nullptr;
    GlTexture* textureUnits[kTextureUnits] = {};
    GlFramebuffer* boundFramebuffer = nullptr;
    uint32_t spareFbo[2] = {0, 0};
    uint32_t copyFbo = 0;  // CopyTextureToBuffer reads a texture through it
    // Live vertex arrays this context made, wherever they are released: a vertex buffer released
    // through this context is taken out of them first, so that no later bind reaches freed memory.
    std::vector<GlVertexArray*> vertexArrays;
    std::shared_ptr<ClState> clState;
    bool explicitInteropSync = true;
    bool interopSyncPending = true;
};

}  // namespace vindra

#endif
