#include "settings/SettingsFields.h"

#include <type_traits>

namespace tonquill {

std::string SettingsFieldText(const SettingsField& field, const ConversionSettings& settings) {
    ConversionSettings record = settings;  // the table hands out members of a record it may change
    return std::visit(
        [](auto* member) -> std::string {
            if constexpr (std::is_same_v<decltype(member), std::string*>) {
                return *member;
            } else {
                return std::to_string(*member);
            }
        },
        field.member(record));
}

}  // namespace tonquill
