#include "render/figure_buffer.h"

#include <GLES3/gl3.h>

#include <cmath>

#include <glm/ext/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <glm/trigonometric.hpp>

#include "render/perspective.h"

namespace {

constexpr GLuint POSITION = 0;
constexpr GLuint COLOUR = 1;

const char* const VERTEX_SHADER = R"(#version 300 es
uniform mat4 transform;
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 colour;
out vec3 line_colour;
void main() {
    line_colour = colour;
    gl_Position = transform * vec4(position, 1.0);
}
)";

// highp: at mediump, 0.7 becomes 0.6997 and its byte one less than
// immediate mode's.
const char* const FRAGMENT_SHADER = R"(#version 300 es
precision highp float;
in vec3 line_colour;
out vec4 pixel;
void main() {
    pixel = vec4(line_colour, 1.0);
}
)";

GLuint start_compiling(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

// Empty when the shader compiled.
std::string compile_error(GLuint shader, const char* kind) {
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled == GL_TRUE) return "";
    char log[512] = "";
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    return std::string(kind) + " shader: " + log;
}

// glRotatef about one of the axes: the angle in radians rounded to float
// before its sine and cosine are taken, in float, and the axis's own row and
// column exactly those of the identity (glm::rotate's general formula puts
// 1 - (1 - cos) there, a last bit off for some angles). from and to are the
// other two axes, in the turn's direction.
glm::mat4 turn(double degrees, int from, int to) {
    const float angle = glm::radians(static_cast<float>(degrees));
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    glm::mat4 matrix(1.0f);
    matrix[from][from] = c;
    matrix[from][to] = s;
    matrix[to][from] = -s;
    matrix[to][to] = c;
    return matrix;
}

}  // namespace

glm::mat4 perspective_matrix(int width, int height, double scale) {
    const Perspective p = perspective_of(width, height, scale);
    glm::dmat4 matrix(0.0);
    matrix[0][0] = p.x_scale;
    matrix[1][1] = p.y_scale;
    matrix[2][2] = p.depth_scale;
    matrix[2][3] = -1.0;
    matrix[3][2] = p.depth_offset;
    return glm::mat4(matrix);
}

glm::mat4 camera_matrix(const Camera& camera) {
    const glm::mat4 turned = turn(camera.pitch, 1, 2) * turn(camera.yaw, 2, 0);
    return glm::translate(turned, glm::vec3(static_cast<float>(camera.x), static_cast<float>(camera.y),
                                            static_cast<float>(camera.z)));
}

void FigureBuffer::start_shaders() {
    forget();
    vertex_shader_ = start_compiling(GL_VERTEX_SHADER, VERTEX_SHADER);
    fragment_shader_ = start_compiling(GL_FRAGMENT_SHADER, FRAGMENT_SHADER);
    program_ = glCreateProgram();
    glAttachShader(program_, vertex_shader_);
    glAttachShader(program_, fragment_shader_);
    glLinkProgram(program_);
}

bool FigureBuffer::create() {
    if (vertex_shader_ == 0) start_shaders();
    why_.clear();
    // One question for the pair: the compile logs only when linking failed.
    GLint linked = GL_FALSE;
    glGetProgramiv(program_, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        why_ = compile_error(vertex_shader_, "vertex");
        if (why_.empty()) why_ = compile_error(fragment_shader_, "fragment");
        if (why_.empty()) {
            char log[512] = "";
            glGetProgramInfoLog(program_, sizeof log, nullptr, log);
            why_ = std::string("shader program: ") + log;
        }
    }
    // Flagged for deletion; they go with the program.
    glDeleteShader(vertex_shader_);
    glDeleteShader(fragment_shader_);
    vertex_shader_ = fragment_shader_ = 0;
    if (!why_.empty()) return false;
    transform_location_ = glGetUniformLocation(program_, "transform");

    glGenVertexArrays(1, &vertex_array_);
    glGenBuffers(1, &buffer_);
    glBindVertexArray(vertex_array_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    glEnableVertexAttribArray(POSITION);
    glEnableVertexAttribArray(COLOUR);
    glVertexAttribPointer(POSITION, 3, GL_FLOAT, GL_FALSE, sizeof(FigureVertex),
                          reinterpret_cast<const void*>(offsetof(FigureVertex, x)));
    glVertexAttribPointer(COLOUR, 3, GL_FLOAT, GL_FALSE, sizeof(FigureVertex),
                          reinterpret_cast<const void*>(offsetof(FigureVertex, r)));

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepthf(1.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    if (glGetError() != GL_NO_ERROR) {
        why_ = "the vertex buffer could not be made";
        return false;
    }
    return true;
}

void FigureBuffer::forget() {
    program_ = buffer_ = vertex_array_ = vertex_shader_ = fragment_shader_ = 0;
    transform_location_ = -1;
    capacity_ = 0;
    uploaded_ = false;
}

void FigureBuffer::resize(int width, int height, double scale) {
    glViewport(0, 0, width, height == 0 ? 1 : height);
    projection_ = perspective_matrix(width, height, scale);
}

void FigureBuffer::draw_scene(const Figure& figure, const Camera& camera) {
    if (!arrays_.holds(figure)) arrays_.fill(figure);
    draw_scene(arrays_, camera);
}

void FigureBuffer::draw_scene(const FigureArrays& arrays, const Camera& camera) {
    glUseProgram(program_);
    glBindVertexArray(vertex_array_);
    glBindBuffer(GL_ARRAY_BUFFER, buffer_);
    if (!uploaded_ || !same_figure(arrays.figure(), uploaded_figure_)) {
        const auto bytes = static_cast<GLsizeiptr>(arrays.bytes());
        if (arrays.bytes() > capacity_) {
            glBufferData(GL_ARRAY_BUFFER, bytes, arrays.vertices(), GL_DYNAMIC_DRAW);
            capacity_ = arrays.bytes();
        } else {
            glBufferSubData(GL_ARRAY_BUFFER, 0, bytes, arrays.vertices());
        }
        uploaded_figure_ = arrays.figure();
        uploaded_ = true;
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const glm::mat4 transform = projection_ * camera_matrix(camera);
    glUniformMatrix4fv(transform_location_, 1, GL_FALSE, glm::value_ptr(transform));
    glDrawArrays(GL_LINES, 0, arrays.vertex_count());
    drawn_segments_ = arrays.vertex_count() / 2;
}
