// A texture rectangle drawn through a grid of nodes that can be displaced and coloured (waves, bends).
#pragma once

#include <vector>

#include "engine/hge.h"

namespace gfx {

// What a displacement is measured from. DO NOT RENUMBER: scripts pass these.
constexpr int kDispNode = 0;     // the node's own place in the regular grid
constexpr int kDispTopLeft = 1;  // the mesh origin
constexpr int kDispCenter = 2;   // the centre of the grid

// The most nodes a mesh may have (those of a 2048 x 2048 grid, about 100 MB):
// sprites ask for one node per texel of any rectangle a script sets.
constexpr long long kMaxMeshNodes = 2048LL * 2048LL;

}  // namespace gfx

// Node (col, row) is disp_array[row * nCols + col]; its x, y are its offset
// from the mesh origin. Indices outside the grid, negative ones included,
// are ignored: scripts choose them. A grid of fewer than 1 column or row, or
// of more than gfx::kMaxMeshNodes nodes, is empty, and one of fewer than 2
// columns or rows has no cells and draws nothing. Every live
// mesh holds one reference to the engine interface the class shares.
class hgeDistortionMesh {
 public:
  hgeDistortionMesh(int cols, int rows);
  ~hgeDistortionMesh();
  hgeDistortionMesh(const hgeDistortionMesh&) = delete;
  hgeDistortionMesh& operator=(const hgeDistortionMesh&) = delete;

  // Stores the texture only; coordinates follow on the next SetTextureRect.
  void SetTexture(HTEXTURE tex);
  // Lays the nodes on the regular grid over ([x], [y], [w], [h]) texels,
  // dropping every displacement.
  void SetTextureRect(float x, float y, float w, float h);
  // One quad per cell, row by row, with the origin at ([x], [y]).
  void Render(float x, float y);

  void SetColor(int col, int row, DWORD color);
  // 0 for a node outside the grid.
  DWORD GetColor(int col, int row) const;
  // Places node ([col], [row]) at ([dx], [dy]) from what [ref] names
  // (gfx::kDispNode, kDispTopLeft, kDispCenter); another [ref] does nothing.
  void SetDisplacement(int col, int row, float dx, float dy, int ref);

  HTEXTURE GetTexture() const { return quad.tex; }
  int GetRows() const { return nRows; }
  int GetCols() const { return nCols; }

 private:
  bool inGrid(int col, int row) const;
  hgeVertex& node(int col, int row) { return disp_array[row * nCols + col]; }

  static HGE* hge_;

  std::vector<hgeVertex> disp_array;
  int nRows = 0, nCols = 0;
  float cellw = 0, cellh = 0;
  float tx = 0, ty = 0, width = 0, height = 0;
  hgeQuad quad{};
};
