#include "cl/cl_error_string.h"

#include <cstdio>

namespace vindra {

namespace {

struct ErrorText {
    int32_t code;
    const char* text;
};

// clang-format off
constexpr ErrorText kErrorTexts[] = {
    {0, "Success!"},                           {-1, "Device not found."},
    {-2, "Device not available"},              {-3, "Compiler not available"},
    {-4, "Memory object allocation failure"},  {-5, "Out of resources"},
    {-6, "Out of host memory"},                {-7, "Profiling information not available"},
    {-8, "Memory copy overlap"},               {-9, "Image format mismatch"},
    {-10, "Image format not supported"},       {-11, "Program build failure"},
    {-12, "Map failure"},                      {-30, "Invalid value"},
    {-31, "Invalid device type"},              {-32, "Invalid platform"},
    {-33, "Invalid device"},                   {-34, "Invalid context"},
    {-35, "Invalid queue properties"},         {-36, "Invalid command queue"},
    {-37, "Invalid host pointer"},             {-38, "Invalid memory object"},
    {-39, "Invalid image format descriptor"},  {-40, "Invalid image size"},
    {-41, "Invalid sampler"},                  {-42, "Invalid binary"},
    {-43, "Invalid build options"},            {-44, "Invalid program"},
    {-45, "Invalid program executable"},       {-46, "Invalid kernel name"},
    {-47, "Invalid kernel definition"},        {-48, "Invalid kernel"},
    {-49, "Invalid argument index"},           {-50, "Invalid argument value"},
    {-51, "Invalid argument size"},            {-52, "Invalid kernel arguments"},
    {-53, "Invalid work dimension"},           {-54, "Invalid work group size"},
    {-55, "Invalid work item size"},           {-56, "Invalid global offset"},
    {-57, "Invalid event wait list"},          {-58, "Invalid event"},
    {-59, "Invalid operation"},                {-60, "Invalid OpenGL object"},
    {-61, "Invalid buffer size"},              {-62, "Invalid mip-map level"},
    {-63, "Invalid global work size"},         {-1000, "Invalid (OpenGL) Share Group"},
};
// clang-format on

char unknownCode[32];

}  // namespace

const char* ClErrorString(int32_t code) {
    for (const ErrorText& entry : kErrorTexts)
        if (entry.code == code) return entry.text;
    std::snprintf(unknownCode, sizeof unknownCode, "%d", code);
    return unknownCode;
}

}  // namespace vindra
