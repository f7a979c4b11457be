#include "platform/gfx/GLProgram.h"

#include "platform/gfx/GLHeaders.h"

#include <algorithm>
#include <vector>

namespace platform
{

namespace
{

std::string ShaderLog(GLuint shader)
{
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> text(size_t(std::max(length, 1)), '\0');
    glGetShaderInfoLog(shader, GLsizei(text.size()), nullptr, text.data());
    return text.data();
}

GLuint Compile(GLenum type, const std::string& source, std::string& log)
{
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE)
    {
        log = (type == GL_VERTEX_SHADER ? "vertex shader: " : "fragment shader: ") + ShaderLog(shader);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

} // namespace

uint32_t GLProgram::Build(const std::string& vertexSource, const std::string& fragmentSource,
                          std::string& log)
{
    GLuint shaders[2] = {0, 0};
    if (!vertexSource.empty() && !(shaders[0] = Compile(GL_VERTEX_SHADER, vertexSource, log)))
        return 0;
    if (!fragmentSource.empty() && !(shaders[1] = Compile(GL_FRAGMENT_SHADER, fragmentSource, log)))
    {
        if (shaders[0])
            glDeleteShader(shaders[0]);
        return 0;
    }
    const GLuint program = glCreateProgram();
    for (GLuint shader : shaders)
        if (shader)
            glAttachShader(program, shader);
    glLinkProgram(program);
    for (GLuint shader : shaders)
        if (shader)
            glDeleteShader(shader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE)
    {
        GLint length = 0;
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
        std::vector<char> text(size_t(std::max(length, 1)), '\0');
        glGetProgramInfoLog(program, GLsizei(text.size()), nullptr, text.data());
        log = std::string("link: ") + text.data();
        glDeleteProgram(program);
        return 0;
    }
    return program;
}

void GLProgram::Delete(uint32_t program)
{
    if (program)
        glDeleteProgram(program);
}

void GLProgram::Use(uint32_t program)
{
    glUseProgram(program);
}

int32_t GLProgram::Location(uint32_t program, const std::string& name)
{
    return program ? glGetUniformLocation(program, name.c_str()) : -1;
}

void GLProgram::SetMatrix(int32_t location, const float* values)
{
    glUniformMatrix4fv(location, 1, GL_FALSE, values);
}

void GLProgram::SetFloat(int32_t location, float value)
{
    glUniform1f(location, value);
}

void GLProgram::SetVector(int32_t location, const float* values)
{
    glUniform4fv(location, 1, values);
}

void GLProgram::SetSampler(int32_t location, int32_t unit)
{
    glUniform1i(location, unit);
}

} // namespace platform
