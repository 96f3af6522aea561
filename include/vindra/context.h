// vindra: the context interface and its creation record.
//
// A host fills a ContextInitData, calls vindra::CreateContext and gets a Context* that is current on
// the calling thread. Everything else goes through the Context's operations and the resource objects
// it creates. The order of the virtual operations is part of the binary interface and never changes.
// Every interface here follows the rules of vindra/abi.h, which keep one layout for every compiler.
//
// Conventions of every operation:
// - ResultCode results: Success (0) or the reason of the failure, which has been reported to the host's
//   message library (tamrik) before the operation returned.
// - Operations run on the thread on which the context is current (MakeCurrent / ClearCurrent).
// - Release... operations take the address of the host's pointer, destroy the object and set the host's
//   pointer to null; a pointer that holds null is accepted (0, nothing done), a null address is reported
//   and answered InvalidValue.
// - The host owns the context and every object it creates through it; the context owns nothing the
//   host holds.
#ifndef VINDRA_CONTEXT_H
#define VINDRA_CONTEXT_H

#include "vindra/types.h"
#include "vindra/resources.h"
#include "vindra/compute.h"

namespace vindra {

class Context;

/// Creation record. Field order and natural alignment are fixed: hosts compiled against their own copy
/// of this record keep working.
struct ContextInitData {
    const char* name;         ///< optional; null leaves the name empty; the first 31 characters are kept
    uint32_t type;            ///< 2: CreateContext returns null; any other value: a GL context (type 1)
    NativeWindow window;      ///< window to render to (X11 Window id or HWND); 0/null: the library makes a
                              ///< hidden window of its own (256x256) for an offscreen context
    Context* shareContext;    ///< optional; must be a live context made by this library (CreateContext or
                              ///< CreateSharedContext): its GL objects and compute state are shared
    bool deepColor;           ///< ask for 16 bits per colour channel, 10 bits as first fall-back
    bool floatColor;          ///< ask for a 16-bit floating-point RGBA format
    uint8_t reserved;         ///< not read
    bool multisample;         ///< ask for 8 samples per pixel
    bool swapExchange;        ///< swap method: exchange when true, copy when false
    int32_t majorVersion;     ///< GL version to request; used only with coreProfile and a value above 0
    int32_t minorVersion;     ///< GL minor version to request, with majorVersion
    bool coreProfile;         ///< request majorVersion.minorVersion with the core profile
    int32_t clPlatformIndex;  ///< OpenCL platform; negative: the first whose GPU drives the GL context
                              ///< (an Intel platform only where Intel also drives GL)
    int32_t clDeviceIndex;    ///< OpenCL GPU device on that platform; negative, or past the platform's
                              ///< GPUs: the one that drives the GL context
};
VINDRA_RECORD_FIELD(ContextInitData, name, 0);
VINDRA_RECORD_FIELD(ContextInitData, type, 8);
VINDRA_RECORD_FIELD(ContextInitData, window, 16);
VINDRA_RECORD_FIELD(ContextInitData, shareContext, 24);
VINDRA_RECORD_FIELD(ContextInitData, deepColor, 32);
VINDRA_RECORD_FIELD(ContextInitData, floatColor, 33);
VINDRA_RECORD_FIELD(ContextInitData, reserved, 34);
VINDRA_RECORD_FIELD(ContextInitData, multisample, 35);
VINDRA_RECORD_FIELD(ContextInitData, swapExchange, 36);
VINDRA_RECORD_FIELD(ContextInitData, majorVersion, 40);
VINDRA_RECORD_FIELD(ContextInitData, minorVersion, 44);
VINDRA_RECORD_FIELD(ContextInitData, coreProfile, 48);
VINDRA_RECORD_FIELD(ContextInitData, clPlatformIndex, 52);
VINDRA_RECORD_FIELD(ContextInitData, clDeviceIndex, 56);
VINDRA_RECORD_SIZE(ContextInitData, 64);

/// The rendering and compute context. Delete it through this interface (virtual destructor) after
/// releasing every resource it made.
class Context {
public:
    /// Slot 0, the destructor (`delete context`). Deletes the GL context and the context's own GL and
    /// compute objects; clears the calling thread's current context when it is this one. Resources still
    /// held by the host are not released.
    VINDRA_DESTRUCTOR_SLOT(Context)

    /// --- identity, threads, presentation ---
    virtual const char* GetName() = 0;  ///< the stored name ("" when none); valid as long as the context
    virtual int32_t GetType() = 0;      ///< 1 for a GL context
    virtual bool ReservedQuery3() = 0;  ///< true
    /// Answers `query` into data (size bytes). *sizeRet (when not null) receives the size the answer needs,
    /// also when size is too small. InvalidValue for unknown queries, small buffers and missing answers.
    virtual ResultCode GetInfo(ContextInfo query, size_t size, void* data, size_t* sizeRet) = 0;
    virtual uint32_t MakeCurrent() = 0;   ///< binds the context to the calling thread; 0 success, 1 failure
    virtual uint32_t ClearCurrent() = 0;  ///< releases the calling thread's GL context; 0 success, 1 failure
    /// A new context sharing GL objects and compute state with this one, current on no thread; null on
    /// failure. The calling thread keeps its current context. The host deletes it like any context.
    virtual Context* CreateSharedContext() = 0;
    virtual int32_t GetSwapInterval() = 0;               ///< swap interval of this context's drawable
    virtual void SetSwapInterval(int32_t interval) = 0;  ///< reports a failure, no result
    virtual bool ReservedQuery10() = 0;                  ///< false
    /// Sets the context whose buffers SwapBuffers(true) presents first; null removes it. Not owned: keep it
    /// alive (or unset it) while set. A chain of clients may lead back to this context, or a context may be
    /// its own client: SwapBuffers still presents each context of the chain once.
    virtual void SetClient(Context* client) = 0;
    /// Presents the back buffer, the client's first (and its client's before it) when withClient; each
    /// context at most once per call. 0 success, 1 failure of this context's own swap (a failed client
    /// swap is reported only).
    virtual uint32_t SwapBuffers(bool withClient) = 0;
    virtual bool IsBackBufferPreserved() = 0;        ///< true with the copy swap method
    virtual bool JoinSwapGroup(uint32_t group) = 0;  ///< false without swap-group support
    /// Binds swap group `group` to barrier `barrier`; false without swap-group support.
    virtual bool BindSwapBarrier(uint32_t group, uint32_t barrier) = 0;
    virtual bool ReservedQuery16() = 0;      ///< false
    virtual uint64_t ReservedQuery17() = 0;  ///< 0
    virtual uint32_t Flush() = 0;            ///< glFlush; always 0
    virtual uint32_t Finish() = 0;           ///< glFinish; always 0
    virtual int32_t ReservedQuery20() = 0;   ///< 1
    virtual bool ReservedQuery21() = 0;      ///< true

    /// --- render state: every setter reaches GL on every call; getters read GL back ---
    virtual ResultCode SetViewPort(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    /// Reads the viewport back from GL.
    virtual ResultCode GetViewPort(int32_t* x, int32_t* y, int32_t* width, int32_t* height) = 0;
    /// Enables or disables the scissor test.
    virtual ResultCode EnableScissor(bool enable) = 0;
    /// Whether GL has the scissor test enabled.
    virtual bool IsScissorEnabled() = 0;
    /// Sets the scissor rectangle, in window pixels from the lower left.
    virtual ResultCode SetScissorRect(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    /// Reads the scissor rectangle back from GL.
    virtual ResultCode GetScissorRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) = 0;
    /// Enables or disables the depth test.
    virtual ResultCode EnableDepthTest(bool enable) = 0;
    /// Enables or disables writes to the depth buffer.
    virtual ResultCode SetDepthMask(bool write) = 0;
    /// Sets the depth comparison; InvalidEnum (reported) outside CompareFunc.
    virtual ResultCode SetDepthFunc(CompareFunc func) = 0;
    /// Enables or disables the stencil test.
    virtual ResultCode EnableStencilTest(bool enable) = 0;
    /// Sets the stencil comparison, its reference value and mask.
    virtual ResultCode SetStencilFunc(CompareFunc func, int32_t reference, uint32_t mask) = 0;
    /// Sets what the stencil test does on stencil failure, depth failure and depth pass.
    virtual ResultCode SetStencilOp(StencilOp stencilFail, StencilOp depthFail, StencilOp depthPass) = 0;
    /// Enables or disables writes to each colour channel.
    virtual ResultCode SetColorMask(bool red, bool green, bool blue, bool alpha) = 0;
    /// Enables or disables blending.
    virtual ResultCode EnableBlend(bool enable) = 0;
    /// Sets the blend equations of the colour and the alpha channel.
    virtual ResultCode SetBlendEquation(BlendEquation rgb, BlendEquation alpha) = 0;
    /// Sets the source and destination blend factors of colour and alpha.
    virtual ResultCode SetBlendFunc(BlendFactor srcRgb, BlendFactor dstRgb, BlendFactor srcAlpha,
                                    BlendFactor dstAlpha) = 0;
    virtual ResultCode SetBlendColor(const float rgba[4]) = 0;  ///< GL errors reported as SetBlendFunc's
    virtual ResultCode SetTriangleFillMode(FillMode mode) = 0;  ///< front and back faces
    /// Enables or disables user clip distance `index`.
    virtual ResultCode EnableClipDistance(uint32_t index, bool enable) = 0;
    /// PatchVertices takes values[0]; any other name answers InvalidEnum without touching GL.
    virtual ResultCode SetPatchParameter(PatchParameter name, const int32_t* values) = 0;
    /// Clears the buffers named by clearFlags (ClearFlags bits) of the bound framebuffer.
    virtual ResultCode Clear(uint32_t clearFlags, const float color[4], double depth, int32_t stencil) = 0;

    /// --- resources: factories return new, empty objects owned by the host ---
    virtual VertexBuffer* CreateVertexBuffer() = 0;
    /// Destroys *buffer and nulls it; vertex arrays of this context that list it let it go first.
    virtual uint32_t ReleaseVertexBuffer(VertexBuffer** buffer) = 0;
    /// A new, empty vertex array owned by the host, made for this context.
    virtual VertexArray* CreateVertexArray() = 0;
    /// Destroys *array (unbinding it here first) and nulls it.
    virtual uint32_t ReleaseVertexArray(VertexArray** array) = 0;
    virtual ResultCode BindVertexArray(VertexArray* array) = 0;  ///< null unbinds
    /// A new index buffer without storage, owned by the host.
    virtual IndexBuffer* CreateIndexBuffer() = 0;
    /// Destroys *buffer and nulls it.
    virtual uint32_t ReleaseIndexBuffer(IndexBuffer** buffer) = 0;
    virtual ResultCode BindIndexBuffer(IndexBuffer* buffer) = 0;  ///< records its index type for draws
    /// A new uniform buffer without storage, owned by the host.
    virtual UniformBuffer* CreateUniformBuffer() = 0;
    /// Destroys *buffer (unbinding it first) and nulls it.
    virtual uint32_t ReleaseUniformBuffer(UniformBuffer** buffer) = 0;
    /// Binds buffer to uniform-buffer binding point `bindingPoint`; `ignored` is not read.
    virtual ResultCode BindUniformBuffer(UniformBuffer* buffer, int32_t ignored, uint32_t bindingPoint) = 0;
    /// Takes buffer off the binding point it was bound to.
    virtual ResultCode UnBindUniformBuffer(UniformBuffer* buffer) = 0;
    /// A new pixel buffer without storage, owned by the host.
    virtual PixelBuffer* CreatePixelBuffer() = 0;
    /// Destroys *buffer and nulls it.
    virtual uint32_t ReleasePixelBuffer(PixelBuffer** buffer) = 0;
    /// A new, empty shader library owned by the host.
    virtual ShaderLibrary* CreateShaderLibrary() = 0;
    /// Destroys *library and nulls it; programs that linked it keep their GL program.
    virtual uint32_t ReleaseShaderLibrary(ShaderLibrary** library) = 0;
    /// A new, empty shader program owned by the host.
    virtual ShaderProgram* CreateShaderProgram() = 0;
    /// Destroys *program (unbinding it first) and nulls it.
    virtual uint32_t ReleaseShaderProgram(ShaderProgram** program) = 0;
    virtual ResultCode BindShaderProgram(ShaderProgram* program) = 0;  ///< null unbinds
    /// The program of the last BindShaderProgram, or null.
    virtual ShaderProgram* GetBoundShaderProgram() = 0;
    /// A new texture without GL storage (see Texture::Init), owned by the host.
    virtual Texture* CreateTexture() = 0;
    /// Unbinds *texture from every unit of this context, destroys it and nulls it. InvalidValue
    /// (reported) for a pointer that is not a texture of this library, which is left alone.
    virtual uint32_t ReleaseTexture(Texture** texture) = 0;
    /// Binds texture on unit 0 to 15 (null unbinds the unit). InvalidValue (reported) for another unit
    /// or a texture that is not one of this library's.
    virtual ResultCode BindTexture(Texture* texture, int32_t ignored, int32_t unit) = 0;
    /// A new framebuffer without GL objects (see Framebuffer::Init), owned by the host.
    virtual Framebuffer* CreateFramebuffer() = 0;
    /// Unbinds *framebuffer when it is bound here, destroys it and nulls it; its textures stay.
    virtual uint32_t ReleaseFramebuffer(Framebuffer** framebuffer) = 0;
    /// Draws go to framebuffer from now on (null: the window). A framebuffer of another context is
    /// bound through this context's own framebuffer objects.
    virtual ResultCode BindFramebuffer(Framebuffer* framebuffer) = 0;
    /// The framebuffer of the last BindFramebuffer, or null for the window.
    virtual Framebuffer* GetBoundFramebuffer() = 0;

    /// --- drawing with what is bound ---
    virtual ResultCode DrawPrimitives(PrimitiveType type, int32_t first, int32_t count) = 0;
    /// Indices come from the index buffer that BindIndexBuffer put in the vertex array bound now (each
    /// vertex array keeps its own). Updating that index buffer's data (BufferData, BufferSubData) takes
    /// it out again; a draw without one is refused (InvalidOperation) until BindIndexBuffer binds it.
    virtual ResultCode DrawIndexedPrimitives(PrimitiveType type, int32_t count, uint64_t indexByteOffset,
                                             int32_t baseVertex) = 0;
    /// A new fence, not yet placed, owned by the host.
    virtual FenceSync* CreateFenceSync() = 0;
    /// Destroys *fence and nulls it.
    virtual uint32_t ReleaseFenceSync(FenceSync** fence) = 0;

    /// --- copies and readback (rows tightly packed, bottom-up) ---
    /// Copies the lower-left corner of the window's back buffer (buffer != 0) or front buffer (0) into
    /// level 0 of destination, as large as the texture.
    virtual ResultCode CopyFramebuffer(uint32_t buffer, Texture* destination) = 0;
    /// Reads a rectangle as float RGBA (width * height * 4 floats into rgba). Without a bound
    /// framebuffer bufferId 0 reads the front buffer and 1 the back buffer; with one, 0 reads its colour
    /// attachment 0. Another id is a warning and reads the front buffer. InvalidValue for null rgba.
    virtual ResultCode ReadPixels(uint32_t bufferId, int32_t x, int32_t y, int32_t width, int32_t height,
                                  float* rgba) = 0;
    /// Reads the whole of level 0 of source into destination at byteOffset, on the GPU (map the buffer
    /// afterwards). Refused with a message (InvalidValue) when the texels would leave the buffer, the
    /// buffer has no storage, or an argument is null or not one of this library's.
    virtual ResultCode CopyTextureToBuffer(Texture* source, PixelBuffer* destination, uint64_t byteOffset) = 0;
    /// Loads the whole of level 0 of destination from source at byteOffset; refused as above, otherwise
    /// the result of the texture's LoadSubImage.
    virtual uint32_t CopyBufferToTexture(PixelBuffer* source, uint64_t byteOffset, Texture* destination) = 0;

    /// --- compute ---
    /// A context brings OpenCL up on the GPU that drives its GL context, with GL sharing, or takes the
    /// compute state of shareContext; without one (no runtime, platform or GPU: reported at creation) it
    /// renders all the same, and the operations below give the answers marked "without compute".
    /// Finishes GL (or flushes it, where the device synchronises shared objects itself) before kernels use
    /// GL objects. The result of the GL check; Success without compute.
    virtual ResultCode SyncPreCompute() = 0;
    /// Finishes (or flushes) the compute queue before GL uses what kernels wrote: 0, 1 when OpenCL refused;
    /// 0 without compute.
    virtual uint32_t SyncPostCompute() = 0;
    /// A new, empty program, owned by the host until ReleaseComputeProgram; null without compute.
    virtual ComputeProgram* CreateComputeProgram() = 0;
    /// Destroys the program with its kernels and nulls the host's pointer: Success; InvalidValue (reported)
    /// for a null or foreign program; InvalidOperation without compute.
    virtual ResultCode ReleaseComputeProgram(ComputeProgram** program) = 0;
    /// Acquires the kernel's GL-shared arguments, enqueues it (without waiting) and releases them again.
    /// InvalidOperation (reported) when OpenCL refuses the launch or the work sizes (workDim 1 to 3,
    /// globalWorkSize not null; localWorkSize may be null); InvalidValue for a null or foreign kernel;
    /// InvalidOperation without compute.
    virtual ResultCode ExecuteComputeKernel(ComputeKernel* kernel, uint32_t workDim, const size_t* globalWorkSize,
                                            const size_t* localWorkSize) = 0;
    /// A new buffer without storage, owned by the host until ReleaseComputeBuffer; null without compute.
    virtual ComputeBuffer* CreateComputeBuffer() = 0;
    /// Ends a mapping still open, releases the buffer and nulls the host's pointer: Success (also for a
    /// pointer holding null); InvalidValue (reported) for a null address or a foreign buffer;
    /// InvalidOperation without compute.
    virtual ResultCode ReleaseComputeBuffer(ComputeBuffer** buffer) = 0;
    /// Enqueues a copy of size bytes between compute buffers (without waiting): Success, InvalidOperation
    /// when OpenCL refuses it (ranges, no storage) or without compute; InvalidValue (reported) for a null
    /// or foreign buffer.
    virtual ResultCode CopyComputeBuffer(ComputeBuffer* source, ComputeBuffer* destination, size_t sourceOffset,
                                         size_t destinationOffset, size_t size) = 0;

protected:
    /// Slots 86 to 88: the implementation's own operations (creation, video-memory queries in bytes),
    /// not for hosts. Declared here so that every compiler puts them before the destructor entries
    /// that GCC adds on Windows.
    virtual bool Init(ContextInitData& init) = 0;
    /// Video memory of the device in bytes, 0 when nothing can be learned.
    virtual int64_t GetTotalVideoMemory() = 0;
    /// Video memory still available in bytes, 0 when the driver does not say.
    virtual int64_t GetAvailableVideoMemory() = 0;

public:
    VINDRA_DESTRUCTOR_TAIL(Context)
};
VINDRA_INTERFACE(Context);

/// The library's only export. Returns a new context, current on the calling thread, or null (type 2, or
/// creation failed; the reason has been reported). The host owns the result and deletes it.
VINDRA_API Context* CreateContext(ContextInitData& init);

}  // namespace vindra

#endif  // VINDRA_CONTEXT_H
