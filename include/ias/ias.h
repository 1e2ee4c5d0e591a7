#ifndef IAS_IAS_H
#define IAS_IAS_H

/* libias: access to IAS-ECC and IAS smart cards through PC/SC readers.
 * This umbrella header is all an application includes. */

#include <ias/CApplicationDirectoryFile.h>
#include <ias/CApplicationTemplate.h>
#include <ias/CAuthObjectFile.h>
#include <ias/CBlob.h>
#include <ias/CCertificateFile.h>
#include <ias/CCiaFile.h>
#include <ias/CCiaInfoFile.h>
#include <ias/CCiaLastUpdate.h>
#include <ias/CCiaPath.h>
#include <ias/CCioAccessControlRule.h>
#include <ias/CCioAuthReference.h>
#include <ias/CCioAuthentication.h>
#include <ias/CCioCertificate.h>
#include <ias/CCioCredentialIdentifier.h>
#include <ias/CCioDataContainer.h>
#include <ias/CCioIso7816DO.h>
#include <ias/CCioKey.h>
#include <ias/CCioKeyInfo.h>
#include <ias/CCioObject.h>
#include <ias/CCioObjectValue.h>
#include <ias/CCioOidDO.h>
#include <ias/CCioOpaqueDO.h>
#include <ias/CCioPasswordAuth.h>
#include <ias/CCioPrivateDHKey.h>
#include <ias/CCioPrivateKey.h>
#include <ias/CCioPrivateRSAKey.h>
#include <ias/CCioPublicDHKey.h>
#include <ias/CCioPublicKey.h>
#include <ias/CCioPublicRSAKey.h>
#include <ias/CCioSecurityCondition.h>
#include <ias/CCioUsage.h>
#include <ias/CCioX509Certificate.h>
#include <ias/CDataContainerFile.h>
#include <ias/CFileControlParameters.h>
#include <ias/CIASCard.h>
#include <ias/CIASException.h>
#include <ias/CObjectDirectoryFile.h>
#include <ias/CPrivateKeyFile.h>
#include <ias/CPublicKeyFile.h>
#include <ias/CSecurityAttributeCompact.h>
#include <ias/Export.h>
#include <ias/IASEntry.h>
#include <ias/Owned.h>

#endif
