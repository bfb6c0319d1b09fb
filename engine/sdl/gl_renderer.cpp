// OpenGL quad batches: one shader, a streamed vertex buffer, a fixed quad index buffer.
#define GL_GLEXT_PROTOTYPES 1
#include "engine/sdl/gl_renderer.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <iterator>

namespace engine::sdl {
namespace {

// The vertex layout is the same for every program.
enum Attribute : GLuint { kPos, kCol, kUv, kUnit };

// Quads queued before a flush: the index buffer covers this many (32-bit
// indices), so a flush is forced when the staging buffer is full.
constexpr int kMaxQueuedQuads = 65536;
// A quad whose bounding box covers this many pixels is large.
constexpr float kLargeQuadPixels = 64 * 64;

float coveredPixels(const hgeVertex* v) {
  auto [left, right] = std::minmax({v[0].x, v[1].x, v[2].x, v[3].x});
  auto [top, bottom] = std::minmax({v[0].y, v[1].y, v[2].y, v[3].y});
  return (right - left) * (bottom - top);
}

// The vertex colour is 0xAARRGGBB, bytes B G R A in memory: swizzle to rgba.
constexpr const char* kVertexShader = R"(#version 120
attribute vec2 a_pos;
attribute vec4 a_col;
attribute vec2 a_uv;
attribute float a_unit;
uniform vec2 u_screen;
varying vec4 v_col;
varying vec2 v_uv;
varying float v_unit;
void main() {
  v_col = a_col.bgra;
  v_uv = a_uv;
  v_unit = a_unit;
  gl_Position = vec4(a_pos.x * 2.0 / u_screen.x - 1.0, 1.0 - a_pos.y * 2.0 / u_screen.y, 0.0, 1.0);
}
)";

// v_unit: -1 untextured (the vertex colour), else the texture unit. u_mode:
// 1 texel * vertex, 2 texel + vertex (clamped). Alpha is always texel alpha
// * vertex alpha. GLSL 1.20 indexes sampler arrays by constants only, hence
// the chain of ifs (written by fragmentShader).
constexpr const char* kFragmentHead = R"(#version 120
uniform sampler2D u_tex[UNITS];
uniform int u_mode;
varying vec4 v_col;
varying vec2 v_uv;
varying float v_unit;
vec4 texel() {
)";

constexpr const char* kFragmentTail = R"(}
void main() {
  if (v_unit < -0.5) {
    gl_FragColor = v_col;
    return;
  }
  vec4 t = texel();
  vec3 rgb = u_mode == 2 ? min(t.rgb + v_col.rgb, vec3(1.0)) : t.rgb * v_col.rgb;
  gl_FragColor = vec4(rgb, t.a * v_col.a);
}
)";

std::string fragmentShader(int units) {
  std::string head = kFragmentHead;
  head.replace(head.find("UNITS"), 5, std::to_string(units));
  std::string chain;
  for (int u = 0; u + 1 < units; ++u) {
    chain += "  if (v_unit < " + std::to_string(u) + ".5) return texture2D(u_tex[" + std::to_string(u) +
             "], v_uv);\n";
  }
  chain += "  return texture2D(u_tex[" + std::to_string(units - 1) + "], v_uv);\n";
  return head + chain + kFragmentTail;
}

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

GLuint link(int units, std::string& error) {
  GLuint vs = compile(GL_VERTEX_SHADER, kVertexShader, error);
  if (vs == 0) return 0;
  std::string fragment = fragmentShader(units);
  GLuint fs = compile(GL_FRAGMENT_SHADER, fragment.c_str(), error);
  if (fs == 0) {
    glDeleteShader(vs);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vs);
  glAttachShader(program, fs);
  glBindAttribLocation(program, kPos, "a_pos");
  glBindAttribLocation(program, kCol, "a_col");
  glBindAttribLocation(program, kUv, "a_uv");
  glBindAttribLocation(program, kUnit, "a_unit");
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
  GLint units = 1;
  glGetIntegerv(GL_MAX_TEXTURE_IMAGE_UNITS, &units);
  unitCount_ = std::clamp(static_cast<int>(units), 1, kMaxUnits);
  GLint samplers[kMaxUnits];
  for (int u = 0; u < kMaxUnits; ++u) samplers[u] = u;
  for (int p = 0; p < unitCount_; ++p) {
    GLuint program = link(p + 1, error);
    if (program == 0) return false;
    programs_[p] = program;
    glUseProgram(program);
    glUniform2f(glGetUniformLocation(program, "u_screen"), static_cast<float>(width), static_cast<float>(height));
    glUniform1iv(glGetUniformLocation(program, "u_tex"), p + 1, samplers);
    modeUniforms_[p] = glGetUniformLocation(program, "u_mode");
    modes_[p] = -1;
  }
  currentProgram_ = -1;
  std::fill(std::begin(boundName_), std::end(boundName_), 0u);

  std::vector<GLuint> indices(static_cast<size_t>(kMaxQueuedQuads) * 6);
  for (GLuint q = 0; q < static_cast<GLuint>(kMaxQueuedQuads); ++q) {
    const GLuint base = q * 4;
    const GLuint quad[6] = {base, base + 1, base + 2, base, base + 2, base + 3};
    std::copy(quad, quad + 6, indices.begin() + q * 6);
  }
  glGenBuffers(1, &indexBuffer_);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(GLuint), indices.data(), GL_STATIC_DRAW);
  staging_.reset(new hgeVertex[static_cast<size_t>(kMaxQueuedQuads) * 4]);
  staged_ = 0;
  commands_.reserve(1024);
  glGenBuffers(1, &vertexBuffer_);
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);

  const GLsizei stride = sizeof(hgeVertex);
  glEnableVertexAttribArray(kPos);
  glVertexAttribPointer(kPos, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(hgeVertex, x)));
  glEnableVertexAttribArray(kCol);
  glVertexAttribPointer(kCol, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                        reinterpret_cast<const void*>(offsetof(hgeVertex, col)));
  glEnableVertexAttribArray(kUv);
  glVertexAttribPointer(kUv, 2, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(hgeVertex, tx)));
  // The screen has no depth: a staged vertex carries its texture unit in z.
  glEnableVertexAttribArray(kUnit);
  glVertexAttribPointer(kUnit, 1, GL_FLOAT, GL_FALSE, stride,
                        reinterpret_cast<const void*>(offsetof(hgeVertex, z)));

  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glEnable(GL_BLEND);
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
  staged_ = 0;
  commands_.clear();
  textures.forEach([this](Texture& t) { release(t); });
  if (vertexBuffer_) glDeleteBuffers(1, &vertexBuffer_);
  if (indexBuffer_) glDeleteBuffers(1, &indexBuffer_);
  for (unsigned& program : programs_) {
    if (program) glDeleteProgram(program);
    program = 0;
  }
  currentProgram_ = -1;
  vertexBuffer_ = indexBuffer_ = 0;
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

void GlRenderer::useProgram(int units, int mode) {
  int p = std::max(units, 1) - 1;
  if (p != currentProgram_) {
    currentProgram_ = p;
    glUseProgram(programs_[p]);
  }
  if (modes_[p] == mode) return;
  modes_[p] = mode;
  glUniform1i(modeUniforms_[p], mode);
}

int GlRenderer::unitFor(Texture* texture, int blend, bool large) {
  int key = blend & (BLEND_COLORADD | BLEND_ALPHABLEND);  // depth writes are ignored
  int nextQuad = static_cast<int>(staged_ / 4);
  if (commands_.empty() || commands_.back().blend != key) {
    commands_.push_back(Command{key, nextQuad, 0, 0, false, {}});
  }
  Command* c = &commands_.back();
  // Mixed runs go back and forth between the few textures of one command.
  int unit = -1;
  for (int u = 0; u < c->textureCount && unit < 0; ++u) {
    if (c->textures[u] == texture) unit = u;
  }
  int needed = c->textureCount + (texture != nullptr && unit < 0 ? 1 : 0);
  if (needed > (c->solo || large ? 1 : unitCount_)) {
    commands_.push_back(Command{key, nextQuad, 0, 0, false, {}});
    c = &commands_.back();
    unit = -1;
  }
  c->solo = c->solo || large;
  if (texture == nullptr) return -1;
  if (unit < 0) {
    unit = c->textureCount++;
    c->textures[unit] = texture;
  }
  return unit;
}

void GlRenderer::draw(Texture* texture, int blend, const hgeVertex* vertices, int quads) {
  while (quads > 0) {
    int room = kMaxQueuedQuads - static_cast<int>(staged_ / 4);
    if (room <= 0) {
      flush();
      continue;
    }
    int n = std::min(room, quads);
    bool large = false;
    for (int q = 0; q < n && !large; ++q) large = coveredPixels(vertices + q * 4) >= kLargeQuadPixels;
    float unit = static_cast<float>(unitFor(texture, blend, large));
    hgeVertex* out = staging_.get() + staged_;
    size_t count = static_cast<size_t>(n) * 4;
    std::memcpy(out, vertices, count * sizeof(hgeVertex));
    for (size_t v = 0; v < count; ++v) out[v].z = unit;
    staged_ += count;
    commands_.back().quads += n;
    vertices += count;
    quads -= n;
  }
}

void GlRenderer::flush() {
  if (commands_.empty()) return;
  // Orphaning the buffer each time lets the driver keep drawing the last one.
  glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(staged_ * sizeof(hgeVertex)), staging_.get(),
               GL_STREAM_DRAW);
  for (const Command& c : commands_) {
    if (c.quads == 0) continue;
    setBlend(c.blend);
    useProgram(c.textureCount, (c.blend & BLEND_COLORADD) ? 2 : 1);
    for (int u = 0; u < c.textureCount; ++u) {
      Texture* t = c.textures[u];
      if (t->deviceName != 0 && !t->dirty && boundName_[u] == t->deviceName) continue;
      glActiveTexture(GL_TEXTURE0 + u);
      bindTexture(t);
      boundName_[u] = t->deviceName;
    }
    glDrawRangeElements(GL_TRIANGLES, c.firstQuad * 4, (c.firstQuad + c.quads) * 4 - 1, c.quads * 6,
                        GL_UNSIGNED_INT,
                        reinterpret_cast<const void*>(static_cast<size_t>(c.firstQuad) * 6 * sizeof(GLuint)));
  }
  glActiveTexture(GL_TEXTURE0);
  staged_ = 0;
  commands_.clear();
}

void GlRenderer::release(Texture& texture) {
  // Queued draws may hold [texture], uploaded or not: they must run before it goes.
  flush();
  if (texture.deviceName == 0) return;
  GLuint name = texture.deviceName;
  for (unsigned& bound : boundName_) {
    if (bound == name) bound = 0;  // GL may hand the name out again
  }
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
