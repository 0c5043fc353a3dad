// One linked GL program built from a vertex file and a fragment file, with uniform setters.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>
#include <string>

namespace render {

// A plain value: copies share the program, and nothing ever deletes it (it ends with the context).
class Shader {
public:
    Shader() = default;
    Shader(const char* vertexPath, const char* fragmentPath);

    void use() const;

    // Each setter looks the location up by name on every call and acts on the current program.
    void setUniformBool(const std::string& name, bool value) const;
    void setUniformInt(const std::string& name, int value) const;
    void setUniformFloat(const std::string& name, float value) const;
    void setUniformVec2(const std::string& name, const glm::vec2& value) const;
    void setUniformVec3(const std::string& name, const glm::vec3& value) const;
    void setUniformMat4(const std::string& name, const glm::mat4& value) const;

    GLuint programId = 0;

private:
    static void checkBuildStatus(GLuint object, const std::string& kind);
};

}  // namespace render
