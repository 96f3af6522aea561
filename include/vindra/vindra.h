// vindra: everything a host needs, in one include.
#ifndef VINDRA_VINDRA_H
#define VINDRA_VINDRA_H

#include "vindra/types.h"
#include "vindra/resources.h"
#include "vindra/compute.h"
#include "vindra/context.h"

#endif  // VINDRA_VINDRA_H
