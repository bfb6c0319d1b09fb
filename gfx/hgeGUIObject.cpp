// The base of the interface widgets.
#include "gfx/hgeGUIObject.h"

HGE* hgeGUIObject::hge_ = nullptr;

hgeGUIObject::hgeGUIObject() { hge_ = hgeCreate(HGE_VERSION); }

hgeGUIObject::~hgeGUIObject() { hge_->Release(); }
