#include "gl_test.h"

#include <cmath>

namespace vindra_test {

GLint Get(GLenum pname) {
    GLint value = -1;
    glGetIntegerv(pname, &value);
    return value;
}

std::vector<float> GetValues(const std::vector<GLenum>& pnames) {
    std::vector<float> values;
    for (GLenum pname : pnames) {
        float read[4] = {NAN, NAN, NAN, NAN};  // GL writes as many values as the state has
        glGetFloatv(pname, read);
        if (std::isnan(read[0])) ADD_FAILURE() << "GL has no value for 0x" << std::hex << pname;
        for (int i = 0; i < 4 && !std::isnan(read[i]); ++i) values.push_back(read[i]);
    }
    return values;
}

}  // namespace vindra_test
