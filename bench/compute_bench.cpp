// Compute against the raw OpenCL calls it stands for, on the context's own queue: a kernel launch waited
// for with clFinish (ExecuteComputeKernel on the library's kernel, clEnqueueNDRangeKernel on one made
// from the same source, both without GL-shared arguments), and a blocking write then read of 16 MiB.
#define CL_TARGET_OPENCL_VERSION 120
#include <CL/cl.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "context_bench_common.h"
#include "ratio_reporter.h"
#include "vindra/context.h"

using namespace vindra;

namespace {

constexpr size_t kItems = 4096;
constexpr size_t kTransferBytes = size_t(16) << 20;
const char* kSource = "kernel void Add(global float* values, float step) { values[get_global_id(0)] += step; }";

Context* context = nullptr;
cl_command_queue queue = nullptr;
ComputeProgram* program = nullptr;
ComputeKernel* kernel = nullptr;
ComputeBuffer *values = nullptr, *transfer = nullptr;
cl_program rawProgram = nullptr;
cl_kernel rawKernel = nullptr;
cl_mem rawTransfer = nullptr;
std::vector<uint8_t> host(kTransferBytes, 0x5A);

template <typename T>
T Handle(ContextInfo query) {
    T handle = nullptr;
    context->GetInfo(query, sizeof handle, &handle, nullptr);
    return handle;
}

bool SetUp() {
    queue = Handle<cl_command_queue>(ContextInfo::ComputeQueue);
    cl_context clContext = Handle<cl_context>(ContextInfo::ComputeContext);
    program = context->CreateComputeProgram();
    values = context->CreateComputeBuffer();
    transfer = context->CreateComputeBuffer();
    if (queue == nullptr || program == nullptr) return false;
    const float step = 1;
    cl_int error = CL_SUCCESS;
    program->AddSources(1, &kSource, nullptr);
    kernel = program->Build() == 0 ? program->GetKernel("Add") : nullptr;
    rawProgram = clCreateProgramWithSource(clContext, 1, &kSource, nullptr, &error);
    rawKernel = clBuildProgram(rawProgram, 0, nullptr, nullptr, nullptr, nullptr) == CL_SUCCESS
                    ? clCreateKernel(rawProgram, "Add", &error)
                    : nullptr;
    rawTransfer = clCreateBuffer(clContext, CL_MEM_READ_WRITE, kTransferBytes, nullptr, &error);
    if (kernel == nullptr || rawKernel == nullptr || rawTransfer == nullptr ||
        values->Create(kItems * sizeof(float), nullptr, BufferUsage::StaticCopy) != ResultCode{} ||
        transfer->Create(kTransferBytes, nullptr, BufferUsage::StaticCopy) != ResultCode{})
        return false;
    cl_mem valuesHandle = values->GetHandle(0);
    return kernel->SetArgument(0, KernelArgKind::ArgComputeBuffer, 0, values) == ResultCode{} &&
           kernel->SetArgument(1, KernelArgKind::ArgValue, sizeof step, &step) == ResultCode{} &&
           clSetKernelArg(rawKernel, 0, sizeof valuesHandle, &valuesHandle) == CL_SUCCESS &&
           clSetKernelArg(rawKernel, 1, sizeof step, &step) == CL_SUCCESS;
}

void TearDown() {
    if (rawTransfer != nullptr) clReleaseMemObject(rawTransfer);
    if (rawKernel != nullptr) clReleaseKernel(rawKernel);
    if (rawProgram != nullptr) clReleaseProgram(rawProgram);
    if (program != nullptr) context->ReleaseComputeProgram(&program);
    if (values != nullptr) context->ReleaseComputeBuffer(&values);
    if (transfer != nullptr) context->ReleaseComputeBuffer(&transfer);
}

struct Pair {
    const char* operation;
    int64_t bytes;  // moved per iteration, 0 for none
    uint32_t (*vindra)();
    uint32_t (*raw)();
};

const Pair kPairs[] = {
    {"ExecuteComputeKernel", 0,
     [] { return uint32_t(context->ExecuteComputeKernel(kernel, 1, &kItems, nullptr)) | uint32_t(clFinish(queue)); },
     [] {
         return uint32_t(clEnqueueNDRangeKernel(queue, rawKernel, 1, nullptr, &kItems, nullptr, 0, nullptr, nullptr) |
                         clFinish(queue));
     }},
    {"Write+Read 16 MiB", int64_t(2 * kTransferBytes),
     [] {
         return uint32_t(transfer->WriteBuffer(0, kTransferBytes, host.data())) |
                uint32_t(transfer->ReadBuffer(0, kTransferBytes, host.data()));
     },
     [] {
         return uint32_t(
             clEnqueueWriteBuffer(queue, rawTransfer, CL_TRUE, 0, kTransferBytes, host.data(), 0, nullptr, nullptr) |
             clEnqueueReadBuffer(queue, rawTransfer, CL_TRUE, 0, kTransferBytes, host.data(), 0, nullptr, nullptr));
     }},
};

void Time(benchmark::State& state, uint32_t (*work)(), int64_t bytes) {
    if (work() != 0) {
        state.SkipWithError("the operation failed on this context");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(work());
    if (bytes != 0) state.SetBytesProcessed(state.iterations() * bytes);
}

void RegisterAll() {
    for (const Pair& pair : kPairs)
        for (auto [side, work] : {std::make_pair("BM_Vindra/", pair.vindra), std::make_pair("BM_Raw/", pair.raw)})
            vindra_bench::WithMinimum(benchmark::RegisterBenchmark(
                (side + std::string(pair.operation)).c_str(),
                [work = work, bytes = pair.bytes](benchmark::State& state) { Time(state, work, bytes); }));
}

}  // namespace

int main(int argc, char** argv) {
    return vindra_bench::RunPairs(
        argc, argv, "compute_bench", context, "no compute on this context, or its kernel or buffers failed",
        "Compute: vindra vs raw OpenCL on the same queue", 1.05, SetUp, RegisterAll, TearDown);
}
