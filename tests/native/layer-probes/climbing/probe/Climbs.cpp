// An include that climbs out of its folder, found beside the file rather
// than in the layer's view.
#include "../reaching/probe/ReachesUp.h"
