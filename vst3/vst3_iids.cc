// Interface IDs of the VST3 interfaces we implement or call, as published
// (four 32-bit words); VST3_UID lays them out in this platform's byte order.
#include <string.h>

#include "vst3/vst3_interfaces.h"

const TUID kIidFUnknown = VST3_UID(0x00000000, 0x00000000, 0xC0000000, 0x00000046);
const TUID kIidIPluginBase = VST3_UID(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);
const TUID kIidIPluginFactory = VST3_UID(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);
const TUID kIidIPluginFactory2 = VST3_UID(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);
const TUID kIidIPluginFactory3 = VST3_UID(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);
const TUID kIidIComponent = VST3_UID(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);
const TUID kIidIAudioProcessor = VST3_UID(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);
const TUID kIidIProcessContextRequirements =
    VST3_UID(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);
const TUID kIidIConnectionPoint = VST3_UID(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);
const TUID kIidIEditController = VST3_UID(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);
const TUID kIidIEditController2 = VST3_UID(0x7F4EFE59, 0xF3204967, 0xAC27A3AE, 0xAFB63038);
const TUID kIidIMidiMapping = VST3_UID(0xDF0FF9F7, 0x49B74669, 0xB63AB732, 0x7ADBF5E5);
const TUID kIidIComponentHandler = VST3_UID(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);
const TUID kIidIPlugView = VST3_UID(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);
const TUID kIidIBStream = VST3_UID(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);
const TUID kIidIParameterChanges = VST3_UID(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);
const TUID kIidIParamValueQueue = VST3_UID(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);
const TUID kIidIHostApplication = VST3_UID(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);
const TUID kIidIPlugFrame = VST3_UID(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);
const TUID kIidIRunLoop = VST3_UID(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);
const TUID kIidIEventHandler = VST3_UID(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);
const TUID kIidITimerHandler = VST3_UID(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);

bool vst3_iid_equal(const uint8_t* a, const uint8_t* b) {
    return a != nullptr && b != nullptr && memcmp(a, b, 16) == 0;
}
