// vindra: GL resource interfaces the host holds (buffers, textures, framebuffers, shaders,
// vertex arrays, fences) and the records and enumerations they take.
//
// Every interface is created and released through the Context. The order of the virtual
// operations is part of the binary interface: hosts call them through the vtable, so never
// reorder, insert or remove an operation.
// Every interface here follows the rules of vindra/abi.h, which keep one layout for every compiler.
#ifndef VINDRA_RESOURCES_H
#define VINDRA_RESOURCES_H

#include <stddef.h>
#include <stdint.h>

#include "vindra/types.h"

namespace vindra {

class Texture;
class VertexBuffer;

// ---------------------------------------------------------------------------------------------
// Buffers
// ---------------------------------------------------------------------------------------------

/// Element type of an index buffer; translated to a GL type when the buffer is bound.
enum class IndexType : uint32_t {
    UInt16 = 0,
    UInt32 = 1,
};

/// Usage of a GL buffer: picks the GL usage hint, the storage path, the sub-range write access
/// and the pixel-buffer target; compute buffers derive their memory flags from it.
enum class BufferUsage : int32_t {
    StreamDraw = 0,
    StreamRead = 1,
    StreamCopy = 2,
    StaticDraw = 3,
    StaticRead = 4,
    StaticCopy = 5,
    DynamicDraw = 6,
    DynamicRead = 7,
    DynamicCopy = 8,
    /// Static hints that never take the storage path and always use the pack target.
    StagingDraw = 9,
    StagingRead = 10,
    StagingCopy = 11,
    /// Stream hints without the storage path; compute buffers get host-allocated memory.
    HostDraw = 12,
    HostRead = 13,
    HostCopy = 14,
};

/// Access of a whole-buffer mapping.
enum class MapAccess : int32_t {
    Read = 0,
    Write = 1,
    ReadWrite = 2,
};

/// Component type of a vertex attribute.
enum class VertexAttributeType : int32_t {
    Int8 = 0,
    UInt8 = 1,
    Int16 = 2,
    UInt16 = 3,
    Int32 = 4,
    UInt32 = 5,
    Float16 = 6,
    Float32 = 7,
};

/// One vertex attribute of a VertexLayout.
struct VertexAttribute {
    int32_t location;          ///< shader attribute index; negative: skipped by vertex buffers
    VertexAttributeType type;  ///< component type
    int32_t components;        ///< 1 to 4
    uint64_t offset;           ///< bytes: within the vertex, or within a vertex array's constant block
    bool normalized;           ///< fixed-point values are normalised (vertex buffers only)
};
VINDRA_RECORD_FIELD(VertexAttribute, location, 0);
VINDRA_RECORD_FIELD(VertexAttribute, type, 4);
VINDRA_RECORD_FIELD(VertexAttribute, components, 8);
VINDRA_RECORD_FIELD(VertexAttribute, offset, 16);
VINDRA_RECORD_FIELD(VertexAttribute, normalized, 24);
VINDRA_RECORD_SIZE(VertexAttribute, 32);

/// Layout of the vertices in a vertex buffer, or of a vertex array's constant values.
/// The library copies the whole record.
struct VertexLayout {
    uint32_t stride;                ///< bytes between consecutive vertices; 0 = tightly packed
    int32_t attributeCount;         ///< valid entries in attributes, 0 to 8
    VertexAttribute attributes[8];  ///< valid from the first
};
VINDRA_RECORD_FIELD(VertexLayout, stride, 0);
VINDRA_RECORD_FIELD(VertexLayout, attributeCount, 4);
VINDRA_RECORD_FIELD(VertexLayout, attributes, 8);
VINDRA_RECORD_SIZE(VertexLayout, 8 + 8 * 32);

// Buffer interfaces have no virtual destructor: only the context's Release... operations,
// which know the concrete class, destroy them.

/// A GL element buffer of 16- or 32-bit indices; bound with Context::BindIndexBuffer.
class IndexBuffer {
public:
    /// Stores the element type; no GL call. Always Success.
    virtual ResultCode SetIndexType(IndexType type) = 0;
    /// (Re)allocates the storage: size bytes, initialised from data when it is not null.
    virtual ResultCode BufferData(uint64_t size, const void* data, BufferUsage usage) = 0;
    /// Writes size bytes from data at offset; InvalidOperation before the first BufferData,
    /// InvalidValue (nothing written) when the range leaves the buffer or data is null.
    virtual ResultCode BufferSubData(uint64_t offset, uint64_t size, const void* data) = 0;

protected:
    ~IndexBuffer() = default;
};
VINDRA_INTERFACE(IndexBuffer);

/// A GL vertex buffer with the layout of its vertices; listed in a VertexArray.
class VertexBuffer {
public:
    /// Copies the whole layout record into the buffer; no GL call. Always Success.
    virtual ResultCode SetVertexLayout(const VertexLayout* layout) = 0;
    /// (Re)allocates the storage: size bytes, initialised from data when it is not null.
    virtual ResultCode BufferData(uint64_t size, const void* data, BufferUsage usage) = 0;
    /// Writes size bytes from data at offset; InvalidOperation before the first BufferData,
    /// InvalidValue (nothing written) when the range leaves the buffer or data is null.
    virtual ResultCode BufferSubData(uint64_t offset, uint64_t size, const void* data) = 0;

protected:
    ~VertexBuffer() = default;
};
VINDRA_INTERFACE(VertexBuffer);

/// A GL buffer for pixel transfers: the source or destination of texture copies, mapped by the host.
class PixelBuffer {
public:
    /// (Re)allocates the storage; Draw usages 0, 3 and 6 make it an unpack buffer, others pack.
    virtual ResultCode BufferData(uint64_t size, const void* data, BufferUsage usage) = 0;
    /// Writes size bytes from data at offset; InvalidOperation before the first BufferData,
    /// InvalidValue (nothing written) when the range leaves the buffer or data is null.
    virtual ResultCode BufferSubData(uint64_t offset, uint64_t size, const void* data) = 0;
    /// Maps the whole buffer and returns the pointer (null on failure); the result of the GL
    /// check goes to status when it is not null. The mapping lasts until UnmapBuffer.
    virtual void* MapBuffer(MapAccess access, ResultCode* status) = 0;
    /// Ends the mapping made by MapBuffer.
    virtual ResultCode UnmapBuffer() = 0;

protected:
    ~PixelBuffer() = default;
};
VINDRA_INTERFACE(PixelBuffer);

/// A GL uniform buffer; bound to a binding point with Context::BindUniformBuffer.
class UniformBuffer {
public:
    /// (Re)allocates the storage: size bytes, initialised from data when it is not null.
    virtual ResultCode BufferData(uint64_t size, const void* data) = 0;
    /// Writes size bytes from data at offset; InvalidOperation before the first BufferData,
    /// InvalidValue (nothing written) when the range leaves the buffer or data is null.
    virtual ResultCode BufferSubData(uint64_t offset, uint64_t size, const void* data) = 0;

protected:
    ~UniformBuffer() = default;
};
VINDRA_INTERFACE(UniformBuffer);

// ---------------------------------------------------------------------------------------------
// Textures
// ---------------------------------------------------------------------------------------------

/// Pixel format of a texture or renderbuffer. "L" formats sample one channel as grey with opaque
/// alpha, "LA" formats two channels as grey and alpha.
enum class PixelFormat : int32_t {
    L8 = 0,
    R8 = 1,
    LA8 = 2,
    RG8 = 3,
    RGB8 = 4,
    RGBA8 = 5,
    BGRA8 = 6,
    L16 = 7,
    R16 = 8,
    LA16 = 9,
    RG16 = 10,
    RGB16 = 11,
    RGBA16 = 12,
    L16F = 13,
    R16F = 14,
    LA16F = 15,
    RG16F = 16,
    RGB16F = 17,
    RGBA16F = 18,
    L32F = 19,
    R32F = 20,
    LA32F = 21,
    RG32F = 22,
    RGB32F = 23,
    RGBA32F = 24,
    R32UI = 25,
    RG32UI = 26,
    RGBA32UI = 27,
    RGB10A2 = 28,
    Depth16 = 29,
    Depth32F = 30,
    Stencil8 = 31,
    Depth24Stencil8 = 32,
    Depth32FStencil8 = 33,
    BGRA16 = 34,
};

/// Bits of TextureDesc::flags; other bits are carried but not interpreted.
enum TextureFlags : uint32_t {
    TextureFlagExternal = 2,  ///< wrap the existing GL texture externalName; never delete it
};

enum class TextureWrap : int32_t {
    ClampToEdge = 0,
    MirrorClampToEdge = 1,
    Repeat = 2,
    MirroredRepeat = 3,
    ClampToBorder = 4,
};

enum class TextureFilter : int32_t {
    Nearest = 0,
    Linear = 1,
    NearestMipmapNearest = 2,
    LinearMipmapNearest = 3,
    NearestMipmapLinear = 4,
    LinearMipmapLinear = 5,
};

/// What a texture is made of. Texture::Init copies it whole.
struct TextureDesc {
    PixelFormat format;     ///< pixel format of the texels
    int32_t width;          ///< texels
    int32_t height;         ///< texels; below 1 makes a 1D texture
    int32_t depth;          ///< texels; 1 or more makes a 3D texture
    uint64_t reserved;      ///< carried in the copy, not interpreted
    uint8_t target2D;       ///< 2D textures: non-zero GL_TEXTURE_2D, zero GL_TEXTURE_RECTANGLE
    uint32_t flags;         ///< TextureFlags bits
    uint32_t externalName;  ///< GL texture to wrap when flags has TextureFlagExternal
};
VINDRA_RECORD_FIELD(TextureDesc, format, 0);
VINDRA_RECORD_FIELD(TextureDesc, width, 4);
VINDRA_RECORD_FIELD(TextureDesc, height, 8);
VINDRA_RECORD_FIELD(TextureDesc, depth, 12);
VINDRA_RECORD_FIELD(TextureDesc, reserved, 16);
VINDRA_RECORD_FIELD(TextureDesc, target2D, 24);
VINDRA_RECORD_FIELD(TextureDesc, flags, 28);
VINDRA_RECORD_FIELD(TextureDesc, externalName, 32);
VINDRA_RECORD_SIZE(TextureDesc, 40);

/// A GL texture (1D, 2D, rectangle or 3D) described by a TextureDesc, or an external GL texture it
/// wraps. Sampler parameters reach GL at the next draw that has the texture bound.
class Texture {
public:
    /// Copies desc, chooses the target from its dimensions and allocates level 0 (an external
    /// texture only records its GL name). InvalidValue when width, height and depth are all below 1
    /// (the copy is kept, no message), or when an extent is negative or beyond the device's limit for
    /// the target; InvalidEnum for a format outside PixelFormat. Both are reported.
    virtual ResultCode Init(const TextureDesc& desc) = 0;
    /// The description stored by the last Init; owned by the texture.
    virtual const TextureDesc* GetDesc() = 0;
    /// Reserved; always InvalidOperation.
    virtual ResultCode ReservedQuery2() = 0;
    /// Uploads a region of a level in the texture's own format. data is a byte offset while a
    /// pixel buffer is bound for unpacking. reserved is not read. InvalidOperation before the first
    /// Init; InvalidValue (reported) for null data without a bound unpack buffer.
    virtual ResultCode LoadSubImage(int32_t level, int32_t x, int32_t y, int32_t z, int32_t width, int32_t height,
                                    int32_t depth, uint64_t reserved, const void* data) = 0;
    /// Reads a whole level into data (a byte offset while a pack buffer is bound); data must hold the
    /// level's texels. InvalidValue (reported) for null data without a bound pack buffer. Leaves no
    /// texture bound to the target.
    virtual ResultCode ReadImage(int32_t level, void* data) = 0;
    /// Sampler setters: no GL call; changed values reach GL before the next draw with the texture
    /// bound on a unit. Success, or InvalidEnum (reported) for a value outside the enumeration.
    virtual ResultCode SetWrapS(TextureWrap wrap) = 0;
    /// Wrap mode along t.
    virtual ResultCode SetWrapT(TextureWrap wrap) = 0;
    /// Wrap mode along r.
    virtual ResultCode SetWrapR(TextureWrap wrap) = 0;
    /// Border colour used by ClampToBorder; always marked for sending. InvalidValue for null.
    virtual ResultCode SetBorderColor(const float rgba[4]) = 0;
    /// Minification filter.
    virtual ResultCode SetMinFilter(TextureFilter filter) = 0;
    /// Magnification filter.
    virtual ResultCode SetMagFilter(TextureFilter filter) = 0;
    /// kind 0: GL name; 1: GL target; 2: OpenCL image of level 0 (cl_mem, owned by the texture), made
    /// on the compute state of the context current on the calling thread at the first asking (by Init
    /// already for the formats OpenCL takes directly), 0 without one or when OpenCL refuses (reported);
    /// any other kind: 0.
    virtual uint64_t GetHandle(uint32_t kind) = 0;
    /// Generates the mip levels below level 0.
    virtual ResultCode GenerateMipmap() = 0;
    /// Acquires / releases the OpenCL image on the current context's queue (ExecuteComputeKernel does
    /// this itself for its arguments); InvalidOperation without an image or compute state, or when
    /// OpenCL refuses. Nothing is reported.
    virtual ResultCode AcquireForCompute() = 0;
    /// Gives the OpenCL image back to GL.
    virtual ResultCode ReleaseFromCompute() = 0;
    /// Deletes the GL texture unless it is external. Release through the context, which
    /// unbinds it from every texture unit first.
    VINDRA_DESTRUCTOR_SLOT(Texture)
    VINDRA_DESTRUCTOR_TAIL(Texture)
};
VINDRA_INTERFACE(Texture);

// ---------------------------------------------------------------------------------------------
// Framebuffers
// ---------------------------------------------------------------------------------------------

/// What a framebuffer is made of. Framebuffer::Init writes back the clamped samples.
struct FramebufferDesc {
    Texture* colorTexture;      ///< colour attachment 0, or null; supplies size and format
    int32_t samples;            ///< above 1: multisampled; clamped to GL_MAX_SAMPLES
    int32_t width;              ///< pixels, when there is no colour texture
    int32_t height;             ///< pixels, when there is no colour texture
    uint8_t colorBuffer;        ///< no colour texture: make a colour renderbuffer
    PixelFormat colorFormat;    ///< its format
    uint8_t depthBuffer;        ///< make a depth renderbuffer
    PixelFormat depthFormat;    ///< Depth24Stencil8 and Depth32FStencil8 also attach as stencil
    uint8_t stencilBuffer;      ///< make a stencil renderbuffer
    PixelFormat stencilFormat;  ///< its format
};
VINDRA_RECORD_FIELD(FramebufferDesc, colorTexture, 0);
VINDRA_RECORD_FIELD(FramebufferDesc, samples, 8);
VINDRA_RECORD_FIELD(FramebufferDesc, width, 12);
VINDRA_RECORD_FIELD(FramebufferDesc, height, 16);
VINDRA_RECORD_FIELD(FramebufferDesc, colorBuffer, 20);
VINDRA_RECORD_FIELD(FramebufferDesc, colorFormat, 24);
VINDRA_RECORD_FIELD(FramebufferDesc, depthBuffer, 28);
VINDRA_RECORD_FIELD(FramebufferDesc, depthFormat, 32);
VINDRA_RECORD_FIELD(FramebufferDesc, stencilBuffer, 36);
VINDRA_RECORD_FIELD(FramebufferDesc, stencilFormat, 40);
VINDRA_RECORD_SIZE(FramebufferDesc, 48);

/// Off-screen rendering into colour textures or renderbuffers, with depth and stencil renderbuffers and
/// optional multisampling.
class Framebuffer {
public:
    /// Makes the framebuffer objects and renderbuffers that desc asks for and attaches them.
    /// The colour texture is not owned. An incomplete framebuffer is reported, not returned.
    /// Refused before any GL work, with a message: a colour texture that is not a live texture of
    /// this library, or a format that does not suit its attachment (a depth format as colour, ...)
    /// (InvalidValue); a format outside PixelFormat (InvalidEnum); renderbuffers without a size or
    /// beyond the device's limit (InvalidValue).
    virtual ResultCode Init(FramebufferDesc& desc) = 0;
    /// Attaches texture (not owned) as colour attachment index, or detaches it when null.
    /// InvalidOperation without a message for a negative index, for detaching an empty or missing
    /// entry, and before Init; InvalidValue (reported) for an index beyond the device's colour
    /// attachments or a texture that is not one of this library's.
    virtual ResultCode AttachColorTexture(Texture* texture, int32_t index) = 0;
    /// Blits the multisample colour into the single-sample object; Success without GL work
    /// when not bound or not multisampled.
    virtual ResultCode ResolveMultisample() = 0;
    /// The single-sample GL framebuffer object name; 0 before Init.
    virtual uint32_t GetHandle() = 0;
    /// Deletes the framebuffer objects and renderbuffers; attached textures stay alive.
    VINDRA_DESTRUCTOR_SLOT(Framebuffer)
    VINDRA_DESTRUCTOR_TAIL(Framebuffer)
};
VINDRA_INTERFACE(Framebuffer);

// ---------------------------------------------------------------------------------------------
// Shaders
// ---------------------------------------------------------------------------------------------

enum class ShaderStage : uint32_t {
    Vertex = 0,
    Fragment = 1,
    Geometry = 2,
    TessControl = 3,
    TessEvaluation = 4,
};

/// Type of a declared uniform variable.
enum class UniformType : int32_t {
    Int = 0,
    IntAlias = 1,  ///< uploaded exactly as Int
    Float = 2,
    Mat2 = 3,
    Mat3 = 4,
    Mat4 = 5,
};

/// One entry of a shader program's uniform table.
struct UniformVariable {
    const char* name;    ///< the caller's string, not copied
    UniformType type;    ///< how the values are uploaded
    int32_t components;  ///< 1 to 4 for Int and Float
    int32_t count;       ///< array elements
    int32_t location;    ///< -1 until resolved, or when the name is not an active uniform
};
VINDRA_RECORD_FIELD(UniformVariable, name, 0);
VINDRA_RECORD_FIELD(UniformVariable, type, 8);
VINDRA_RECORD_FIELD(UniformVariable, components, 12);
VINDRA_RECORD_FIELD(UniformVariable, count, 16);
VINDRA_RECORD_FIELD(UniformVariable, location, 20);
VINDRA_RECORD_SIZE(UniformVariable, 24);

/// A compiled shader that several ShaderProgram objects can link (borrowed, not owned by them).
class ShaderLibrary {
public:
    /// Reserved; answers 0.
    virtual uint32_t ReservedQuery0() = 0;
    /// Compiles the strings as one shader of stage, replacing the previous one. lengths null
    /// means NUL-terminated strings. InvalidValue for an unknown stage, InvalidOperation when
    /// the compile fails (the log goes to the message library).
    virtual ResultCode Compile(ShaderStage stage, uint32_t count, const char* const* strings,
                               const int32_t* lengths) = 0;
    /// Deletes the GL shader.
    VINDRA_DESTRUCTOR_SLOT(ShaderLibrary)
    VINDRA_DESTRUCTOR_TAIL(ShaderLibrary)
};
VINDRA_INTERFACE(ShaderLibrary);

/// A GL program: shaders compiled for it and libraries borrowed, linked, with a table of uniforms.
class ShaderProgram {
public:
    /// Reserved; answers 0.
    virtual uint32_t ReservedQuery0() = 0;
    /// Compiles a shader that the program owns and keeps for the next Link.
    virtual ResultCode AddShader(ShaderStage stage, uint32_t count, const char* const* strings,
                                 const int32_t* lengths) = 0;
    /// Borrows a compiled library for the next Link; the host keeps ownership.
    virtual ResultCode AttachShaderLibrary(ShaderLibrary* library) = 0;
    /// Links a new GL program from the pending shaders and consumes them. InvalidValue when
    /// nothing is pending, InvalidOperation when the link fails.
    virtual ResultCode Link() = 0;
    /// Reserved; answer 0.
    virtual uint32_t ReservedQuery4() = 0;
    /// Reserved; answers 0.
    virtual uint32_t ReservedQuery5() = 0;
    /// Binds the named uniform block to a uniform-buffer binding point.
    virtual ResultCode SetUniformBlockBinding(const char* blockName, uint32_t binding) = 0;
    /// Appends a uniform to the table and returns its index. name is kept as given and must
    /// outlive ResolveUniformVariables; reserved is not read. A null name, or a matrix type with
    /// fewer than 1 component (its element size would be 0), is refused with -1.
    virtual int32_t AddUniformVariable(uint64_t reserved, const char* name, UniformType type, int32_t components,
                                       int32_t count) = 0;
    /// Looks up the location of every uniform in the table; needed again after each Link.
    virtual ResultCode ResolveUniformVariables() = 0;
    /// Uploads the uniform at index from data, at most size bytes and count elements; leaves the
    /// current GL program as it was. Unresolved or inactive uniforms are ignored (Success), a type
    /// outside UniformType uploads nothing (warning), and a vector with components outside 1 to 4
    /// is InvalidValue.
    virtual ResultCode SetUniformValue(int32_t index, const void* data, size_t size) = 0;
    /// Reserved; answers 0.
    virtual uint32_t ReservedQuery10() = 0;
    /// Reserved; answer 4 (InvalidOperation).
    virtual uint32_t ReservedQuery11() = 0;
    /// Reserved; answers 4 (InvalidOperation).
    virtual uint32_t ReservedQuery12() = 0;
    /// Deletes the GL program and the shaders it still owns; attached libraries are untouched.
    VINDRA_DESTRUCTOR_SLOT(ShaderProgram)
    VINDRA_DESTRUCTOR_TAIL(ShaderProgram)
};
VINDRA_INTERFACE(ShaderProgram);

// ---------------------------------------------------------------------------------------------
// Vertex arrays
// ---------------------------------------------------------------------------------------------

/// One entry of a vertex array's buffer list.
struct VertexBufferBinding {
    VertexBuffer* buffer;  ///< not owned; null for an empty entry
    uint64_t offset;       ///< bytes added to every attribute offset of the buffer's layout
};
VINDRA_RECORD_FIELD(VertexBufferBinding, buffer, 0);
VINDRA_RECORD_FIELD(VertexBufferBinding, offset, 8);
VINDRA_RECORD_SIZE(VertexBufferBinding, 16);

/// The vertex buffers a draw reads and the constant attribute values, kept per vertex array object.
class VertexArray {
public:
    /// Lists buffer (not owned) at index with a byte offset; a null buffer empties the entry.
    /// A negative index does nothing; a larger index adds empty entries up to it (Success). Emptying
    /// an entry never changes which vertex array GL has bound. Releasing a listed buffer through the
    /// context that made this array empties its entries; before releasing it through another context,
    /// remove it here.
    virtual ResultCode SetVertexBuffer(VertexBuffer* buffer, int32_t index, uint64_t offset) = 0;
    /// Empties the first entry that holds buffer; InvalidValue when it is null or not listed.
    virtual ResultCode RemoveVertexBuffer(VertexBuffer* buffer) = 0;
    /// Empties the buffer list. Always Success.
    virtual ResultCode ClearVertexBuffers() = 0;
    /// Copies layout and size bytes of data as the constant attribute values sent at each bind.
    /// Always Success.
    virtual ResultCode SetConstantData(const VertexLayout* layout, size_t size, const void* data) = 0;
    /// Overwrites part of the constant block, re-sending it when the array is bound.
    /// InvalidValue when the range lies outside the block.
    virtual ResultCode UpdateConstantData(size_t offset, size_t size, const void* data) = 0;
    /// Deletes the vertex array object on its owner context and frees the constant block.
    VINDRA_DESTRUCTOR_SLOT(VertexArray)
    VINDRA_DESTRUCTOR_TAIL(VertexArray)
};
VINDRA_INTERFACE(VertexArray);

// ---------------------------------------------------------------------------------------------
// Fences
// ---------------------------------------------------------------------------------------------

/// A GL fence: placed in the command stream, then waited for by the GPU or the host.
class FenceSync {
public:
    /// Places the fence at the current end of the GL command stream, replacing an earlier one.
    virtual ResultCode SetFence() = 0;
    /// Makes the GPU wait for the fence; the CPU does not block. InvalidOperation when unset.
    virtual ResultCode Wait() = 0;
    /// Blocks until the GPU has passed the fence. InvalidOperation when unset.
    virtual ResultCode ClientWait() = 0;
    /// Polls without blocking: Success when passed, NotReady when not yet. InvalidOperation
    /// when unset.
    virtual ResultCode ClientCheck() = 0;
    /// Deletes the GL sync object.
    VINDRA_DESTRUCTOR_SLOT(FenceSync)
    VINDRA_DESTRUCTOR_TAIL(FenceSync)
};
VINDRA_INTERFACE(FenceSync);

}  // namespace vindra

#endif  // VINDRA_RESOURCES_H
