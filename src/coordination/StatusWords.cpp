#include "coordination/StatusWords.h"

#include "statlink.h"

void SetMainStatus(int channel, int32_t value) {
    slk_SetMainSta(channel, value);
}
int32_t GetMainStatus(int channel) {
    return slk_GetMainSta(channel);
}
void SetChildStatus(int channel, int32_t value) {
    slk_SetChildSta(channel, value);
}
int32_t GetChildStatus(int channel) {
    return slk_GetChildSta(channel);
}
void SetChildError(int channel, int32_t code) {
    slk_SetChildErr(channel, code);
}
int32_t GetChildError(int channel) {
    return slk_GetChildErr(channel);
}
