// CObject: the polymorphic root of the collection classes. It has no state; its constructor and
// destructor only begin and end the object's dynamic type.
#include "VelqonMfcContainers.h"

CObject::CObject() = default;

CObject::~CObject() = default;
