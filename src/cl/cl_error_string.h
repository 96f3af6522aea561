// Texts of OpenCL error codes, for every compute message that names one.
#ifndef VINDRA_SRC_CL_CL_ERROR_STRING_H
#define VINDRA_SRC_CL_CL_ERROR_STRING_H

#include <cstdint>

namespace vindra {

// The text of `code`; codes without one are written in decimal into one process-wide buffer that
// the next such code overwrites.
const char* ClErrorString(int32_t code);

}  // namespace vindra

#endif
