// OpenGL quad batches: one shader, a streamed vertex buffer, a fixed quad index buffer.
#define GL_GLEXT_PROTOTYPES 1
#include "engine/sdl/GlRenderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>

namespace engine::sdl {
namespace {

// Quads queued before a flush: the index buffer covers this many (32-bit
// indices), so a flush is forced when the staging buffer is full.
constexpr int kMaxQueuedQuads = 65536;

// The vertex colour is 0xAARRGGBB, bytes B G R A in memory: swizzle to rgba.
constexpr const char* kVertexShader = R"(#version 120
attribute vec2 a_pos;
attribute vec4 a_col;
attribute vec2 a_uv;
uniform vec2 u_screen;
varying vec4 v_col;
varying vec2 v_uv;
void main() {
  v_col = a_col.bgra;
  v_uv = a_uv;
  gl_Position = vec4(a_pos.x * 2.0 / u_screen.x - 1.0, 1.0 - a_pos.y * 2.0 / u_screen.y, 0.0, 1.0);
}
)";

// u_mode: 0 untextured (vertex colour), 1 texel * vertex, 2 texel + vertex.
// Alpha is always texel alpha * vertex alpha.
constexpr const char* kFragmentShader = R"(#version 120
uniform sampler2D u_tex;
uniform int u_mode;
varying vec4 v_col;
varying vec2 v_uv;
void main() {
  if (u_mode == 0) {
    gl_FragColor = v_col;
    return;
  }
  vec4 t = texture2D(u_tex, v_uv);
  vec3 rgb = u_mode == 2 ? min(t.rgb + v_col.rgb, vec3(1.0)) : t.rgb * v_col.rgb;
  gl_FragColor = vec4(rgb, t.a * v_col.a);
}
)";

GLuint compile(GLenum kind, const char* source, std::string& error) {
  GLuint shader = glCreateShader(kind);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint ok = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok != GL_TRUE) {
    char log[1024] = {};
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    error = std::string("shader compile failed: ") + log;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint link(std::string& error) {
  GLuint vs = compile(GL_VERTEX_SHADER, kVertexShader, error);
  if (vs == 0) return 0;
  GLuint fs = compile(GL_FRAGMENT_SHADER, kFragmentShader, error);
  if (fs == 0) {
    glDeleteShader(vs);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glLinkProgram(program);
  glDeleteShader(vs);
  glDeleteShader(fs);
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (ok != GL_TRUE) {
    char log[1024] = {};
    glGetProgramInfoLog(program, sizeof log, nullptr, log);
    error = std::string("shader link failed: ") + log;
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

}  // namespace

bool GlRenderer::init(int width, int height, bool filter, std::string& error) {
  filter_ = filter;
  program_ = link(error);
  if (program_ == 0) return false;
  glUseProgram(program_);
  glUniform2f(glGetUniformLocation(program_, "u_screen"), static_cast<float>(width),
              static_cast<float>(height));
  glUniform1i(glGetUniformLocation(program_, "u_tex"), 0);
  modeUniform_ = glGetUniformLocation(program_, "u_mode");
  posAttrib_ = glGetAttribLocation(program_, "a_pos");
  colAttrib_ = glGetAttribLocation(program_, "a_col");
  uvAttrib_ = glGetAttribLocation(program_, "a_uv");

  std::vector<GLuint> indices(static_cast<size_t>(kMaxQueuedQuads) * 6);
  for (GLuint q = 0; q < static_cast<GLuint>(kMaxQueuedQuads); ++q) {
    const GLuint base = q * 4;
    const GLuint quad[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
    std::copy(quad, quad + 6, indices.begin() + q * 6);
  }
  glGenBuffers(1, &indexBuffer_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(GLuint), indices.data(), GL_STATIC_DRAW);
  staging_.reserve(static_cast<size_t>(kMaxQueuedQuads) * 4);
  commands_.reserve(1024);
  glGenBuffers(1, &vertexBuffer_);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);

  const GLsizei stride = sizeof(hgeVertex);
  glEnableVertexAttribArray(posAttrib_);
  glVertexAttribPointer(posAttrib_, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(hgeVertex, x)));
  glEnableVertexAttribArray(colAttrib_);
  glVertexAttribPointer(colAttrib_, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<const void*>(offsetof(hgeVertex, col)));
  glEnableVertexAttribArray(uvAttrib_);
  glVertexAttribPointer(uvAttrib_, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(hgeVertex, tx)));

  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
  currentMode_ = -1;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  currentBlend_ = -1;
  GLenum status = glGetError();
  if (status != GL_NO_ERROR) {
    error = "OpenGL set-up failed with error " + std::to_string(status);
    return false;
  }
  return true;
}

void GlRenderer::shutdown(TextureStore& textures) {
  staging_.clear();
  commands_.clear();
  textures.forEach([this](Texture& t) { release(t); });
  if (vertexBuffer_) glDeleteBuffers(1, &vertexBuffer_);
  if (indexBuffer_) glDeleteBuffers(1, &indexBuffer_);
  if (program_) glDeleteProgram(program_);
  vertexBuffer_ = indexBuffer_ = program_ = 0;
}

void GlRenderer::setViewport(int pixelWidth, int pixelHeight) {
  pixelWidth_ = pixelWidth;
  pixelHeight_ = pixelHeight;
  glViewport(0, 0, pixelWidth, pixelHeight);
}

void GlRenderer::clear(DWORD color) {
  flush();
  glClearColor(((color >> 16) & 0xFF) / 255.0f, ((color >> 8) & 0xFF) / 255.0f, (color & 0xFF) / 255.0f,
               ((color >> 24) & 0xFF) / 255.0f);
  glClear(GL_COLOR_BUFFER_BIT);
}

void GlRenderer::bindTexture(Texture* texture) {
  if (texture->deviceName == 0) {
    GLuint name = 0;
    glGenTextures(1, &name);
    texture->deviceName = name;
    texture->dirty = true;
    glBindTexture(GL_TEXTURE_2D, name);
    GLint filter = filter_ ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
  } else {
    glBindTexture(GL_TEXTURE_2D, texture->deviceName);
  }
  if (texture->dirty) {
    // 0xAARRGGBB words are B G R A bytes in memory.
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, texture->width, texture->height, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, texture->pixels.data());
    texture->dirty = false;
  }
}

void GlRenderer::setBlend(int blend) {
  if (blend == currentBlend_) return;
  currentBlend_ = blend;
  glBlendFunc(GL_SRC_ALPHA, (blend & BLEND_ALPHABLEND) ? GL_ONE_MINUS_SRC_ALPHA : GL_ONE);
}

void GlRenderer::setMode(int mode) {
  if (mode == currentMode_) return;
  currentMode_ = mode;
  glUniform1i(modeUniform_, mode);
}

void GlRenderer::draw(Texture* texture, int blend, const hgeVertex* vertices, int quads) {
  while (quads > 0) {
    int room = kMaxQueuedQuads - static_cast<int>(staging_.size() / 4);
    if (room == 0) {
      flush();
      continue;
    }
    int n = std::min(room, quads);
    int first = static_cast<int>(staging_.size() / 4);
    staging_.insert(staging_.end(), vertices, vertices + static_cast<size_t>(n) * 4);
    commands_.push_back(Command{texture, blend, first, n});
    vertices += static_cast<size_t>(n) * 4;
    quads -= n;
  }
}

void GlRenderer::flush() {
  if (commands_.empty()) return;
  // Orphaning the buffer each time lets the driver keep drawing the last one.
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(staging_.size() * sizeof(hgeVertex)),
               staging_.data(), GL_STREAM_DRAW);
  for (const Command& c : commands_) {
    setBlend(c.blend);
    if (c.texture != nullptr) {
      bindTexture(c.texture);
      setMode((c.blend & BLEND_COLORADD) ? 2 : 1);
    } else {
      setMode(0);
    }
    glDrawRangeElements(GL_TRIANGLES, c.firstQuad * 4, (c.firstQuad + c.quads) * 4 - 1, c.quads * 6, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<size_t>(c.firstQuad) * 6 * sizeof(GLuint)));
  }
  staging_.clear();
  commands_.clear();
}

void GlRenderer::release(Texture& texture) {
  if (texture.deviceName == 0) return;
  flush();  // queued draws may use it
  GLuint name = texture.deviceName;
  glDeleteTextures(1, &name);
  texture.deviceName = 0;
  texture.dirty = true;
}

void GlRenderer::readPixels(std::vector<DWORD>& out, int& width, int& height) {
  flush();
  width = pixelWidth_;
  height = pixelHeight_;
  std::vector<DWORD> raw(static_cast<size_t>(width) * height);
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, raw.data());
  out.resize(raw.size());
  // GL rows run bottom-up; the window's alpha channel means nothing.
  for (int y = 0; y < height; ++y) {
    const DWORD* src = raw.data() + static_cast<size_t>(height - 1 - y) * width;
    DWORD* dst = out.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) dst[x] = src[x] | 0xFF000000u;
  }
}

}  // namespace engine::sdl
