// Every class of the figure tree in one include, for code that walks or builds whole models.
#pragma once

#include "stroke/handles.h"
#include "stroke/layer_model.h"
#include "stroke/line.h"
#include "stroke/line_part.h"
#include "stroke/line_point.h"
#include "stroke/text.h"
