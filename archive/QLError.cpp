#include "archive/QLError.h"

const char* EQLError::what() const noexcept { return FMessage.c_str(); }
