// A texture rectangle drawn through a grid of displaceable nodes.
#include "gfx/hgeDistortionMesh.h"

HGE* hgeDistortionMesh::hge_ = nullptr;

namespace {

// Colour multiply, alpha blend, depth write.
constexpr int kMeshBlend = BLEND_ALPHABLEND | BLEND_ZWRITE;

// The size of one cell when [nodes] nodes span [length]; 0 without cells.
float cellSize(float length, int nodes) { return nodes >= 2 ? length / static_cast<float>(nodes - 1) : 0; }

}  // namespace

hgeDistortionMesh::hgeDistortionMesh(int cols, int rows) {
  hge_ = hgeCreate(HGE_VERSION);
  if (cols >= 1 && rows >= 1 && static_cast<long long>(cols) * rows <= gfx::kMaxMeshNodes) {
    nCols = cols;
    nRows = rows;
  }
  disp_array.assign(static_cast<std::size_t>(nCols) * static_cast<std::size_t>(nRows),
                    hgeVertex{0, 0, 0.5f, 0xFFFFFFFF, 0, 0});
  quad.blend = kMeshBlend;
}

hgeDistortionMesh::~hgeDistortionMesh() { hge_->Release(); }

void hgeDistortionMesh::SetTexture(HTEXTURE tex) { quad.tex = tex; }

void hgeDistortionMesh::SetTextureRect(float x, float y, float w, float h) {
  tx = x;
  ty = y;
  width = w;
  height = h;
  float texWidth = w, texHeight = h;
  if (quad.tex) {
    texWidth = static_cast<float>(hge_->Texture_GetWidth(quad.tex, false));
    texHeight = static_cast<float>(hge_->Texture_GetHeight(quad.tex, false));
  }
  // A zero-sized rectangle or a stale texture would divide by zero.
  if (texWidth == 0) texWidth = 1;
  if (texHeight == 0) texHeight = 1;
  cellw = cellSize(w, nCols);
  cellh = cellSize(h, nRows);
  for (int j = 0; j < nRows; ++j) {
    for (int i = 0; i < nCols; ++i) {
      hgeVertex& v = node(i, j);
      v.tx = (x + static_cast<float>(i) * cellw) / texWidth;
      v.ty = (y + static_cast<float>(j) * cellh) / texHeight;
      v.x = static_cast<float>(i) * cellw;
      v.y = static_cast<float>(j) * cellh;
    }
  }
}

void hgeDistortionMesh::Render(float x, float y) {
  for (int j = 0; j < nRows - 1; ++j) {
    for (int i = 0; i < nCols - 1; ++i) {
      const hgeVertex* corners[4] = {&node(i, j), &node(i + 1, j), &node(i + 1, j + 1), &node(i, j + 1)};
      for (int k = 0; k < 4; ++k) {
        quad.v[k] = *corners[k];
        quad.v[k].x += x;
        quad.v[k].y += y;
      }
      hge_->Gfx_RenderQuad(&quad);
    }
  }
}

void hgeDistortionMesh::SetColor(int col, int row, DWORD color) {
  if (inGrid(col, row)) node(col, row).col = color;
}

DWORD hgeDistortionMesh::GetColor(int col, int row) const {
  return inGrid(col, row) ? disp_array[row * nCols + col].col : 0;
}

void hgeDistortionMesh::SetDisplacement(int col, int row, float dx, float dy, int ref) {
  if (!inGrid(col, row)) return;
  float baseX = 0, baseY = 0;
  switch (ref) {
    case gfx::kDispNode:
      baseX = static_cast<float>(col) * cellw;
      baseY = static_cast<float>(row) * cellh;
      break;
    case gfx::kDispTopLeft:
      break;
    case gfx::kDispCenter:
      baseX = static_cast<float>(nCols - 1) * cellw * 0.5f;
      baseY = static_cast<float>(nRows - 1) * cellh * 0.5f;
      break;
    default:
      return;
  }
  node(col, row).x = baseX + dx;
  node(col, row).y = baseY + dy;
}

bool hgeDistortionMesh::inGrid(int col, int row) const {
  return col >= 0 && col < nCols && row >= 0 && row < nRows;
}
