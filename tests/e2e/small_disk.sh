#!/bin/sh
# small_disk.sh WORK mount KBYTES | small_disk.sh WORK unmount
#
# Started by the end-to-end tests from inside Wine: mounts a tmpfs of KBYTES over the folder
# whose unix path is in WORK/folder, or unmounts it again (the tests run as root). WORK/result
# appears when it is done: "ok" on its last line, or what went wrong.
PATH=/usr/bin:/bin:/usr/sbin:/sbin
work=$1
folder=$(cat "$work/folder")
case $2 in
  mount) mount -t tmpfs -o "size=${3}k" qb-small-disk "$folder" ;;
  unmount) umount "$folder" || umount -l "$folder" ;;
  *) echo "unknown command $2"; false ;;
esac >"$work/result.part" 2>&1 && echo ok >>"$work/result.part"
mv "$work/result.part" "$work/result"
