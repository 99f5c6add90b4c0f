#include "app/FixedLayout.h"

namespace quillmate {

FixedLayout::FixedLayout(int width, int height) : m_width(width), m_height(height) {
    set_size_request(width, height);
}

void FixedLayout::get_preferred_width_vfunc(int& minimum, int& natural) const {
    minimum = m_width;
    natural = m_width;
}

void FixedLayout::get_preferred_height_vfunc(int& minimum, int& natural) const {
    minimum = m_height;
    natural = m_height;
}

}  // namespace quillmate
