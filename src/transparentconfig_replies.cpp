#include "transparentconfig.h"

#include "staticipconfig.h"

TransparentConfig::TrpErr_t TransparentConfig::Receive_Callback(QByteArray &, StaticIpConfig *)
{
    return err_OK;
}

void TransparentConfig::DestroyDevInfo() {}
