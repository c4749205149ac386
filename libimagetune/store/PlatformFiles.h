// The files the platform's parsers read for the library: the factory machine information and the module
// configuration. The parsers take a path and open it themselves, so the library first checks, without blocking
// or following a link, that a regular file is there: a FIFO or a device would otherwise stop the caller in the
// parser's open (the constructor, init, the factory reset). What is refused is reported and left unparsed.
#ifndef IMAGETUNE_STORE_PLATFORMFILES_H
#define IMAGETUNE_STORE_PLATFORMFILES_H

#include <string>
#include <vector>

#include "MachineInfo.h"
#include "ModuleConfigure.h"

#define SNS_MACHINE_INFO_FILE "/mnt/mtd/code/factory_setting/machineinfo.ini"
#define SNS_MODULE_CONFIG_FILE "/hd1/moduleConfig/moduleConfig.xml"

// SystemInfoParser::parseMachineInfo of SNS_MACHINE_INFO_FILE; false, p_objInfo unchanged, when it is refused.
bool parseMachineInfoFile(MachineInfo& p_objInfo);

// ModuleConfigureParser::parse of SNS_MODULE_CONFIG_FILE; false, p_vecModules unchanged, when it is refused.
bool parseModuleConfigFile(const std::string& p_strHardwareModel, const std::string& p_strHardwareCode,
                           std::vector<ModuleConfigure>& p_vecModules);

#endif
