#pragma once

namespace tonquill {

// The WMA reader/writer component.
class WmaComponent {
public:
    virtual ~WmaComponent() = default;
};

}  // namespace tonquill
