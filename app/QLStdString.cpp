// The 8-bit string's code for the shipped programs alone (see QLStdString.h).
#include "app/QLStdString.h"

template class std::basic_string<char>;

template std::string std::operator+(const char*, const std::string&);
template std::string std::operator+(const std::string&, const std::string&);
