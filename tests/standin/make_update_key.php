<?php
// Makes the stand-in service's Ed25519 key pair for update archives in FOLDER, once: the
// private key (update_signing.key, 128 hex digits, libsodium's secret-key form) with which the
// stand-in signs the archives it offers, and the public key (update_public.hex, 64 hex digits)
// that the program is built with. An existing pair is kept.
// Usage: php make_update_key.php FOLDER
if ($argc !== 2) {
    fwrite(STDERR, "usage: php make_update_key.php FOLDER\n");
    exit(2);
}
$dir = $argv[1];
$secret = "$dir/update_signing.key";
$public = "$dir/update_public.hex";
if (is_file($secret) && is_file($public)) exit(0);
if (!is_dir($dir) && !mkdir($dir, 0700, true)) {
    fwrite(STDERR, "cannot create $dir\n");
    exit(1);
}
$pair = sodium_crypto_sign_keypair();
// Written aside and renamed, the public key last: a pair is whole once both are there.
file_put_contents("$secret.part", bin2hex(sodium_crypto_sign_secretkey($pair)) . "\n");
chmod("$secret.part", 0600);
rename("$secret.part", $secret);
file_put_contents("$public.part", bin2hex(sodium_crypto_sign_publickey($pair)) . "\n");
rename("$public.part", $public);
