// Types of @pushwren/page: the page client as an ES module.
//
//   import { Pushwren, type PushwrenInfo } from "@pushwren/page";

/** What the plugin tells the page about the device's push subscription. */
export interface PushwrenInfo {
  requiresUserPrivacyConsent: boolean;
  legacy: false;
  /** Left out while the push service has not given the user an id. */
  oneSignalId?: string;
  /** Left out while no user is logged in. */
  externalId?: string;
  subscription: {
    id?: string;
    token?: string;
    optedIn: boolean;
  };
}

export type PushwrenSuccess = { success: true };
export type PushwrenFailure = { success: false; error: string };
export type PushwrenTagsAnswer = { success: true; tags: Record<string, string> };

/** A tag map, or a JSON object as percent-encoded text. */
export type PushwrenMap = Record<string, unknown> | string;

/** The bridge commands: what each takes, and what its promise resolves with. */
export interface PushwrenCommands {
  "/info": [{}, PushwrenInfo];
  "/register": [{}, undefined];
  "/userPrivacyConsent/grant": [{}, undefined];
  "/userPrivacyConsent/revoke": [{}, undefined];
  "/externalUserId/set": [{ externalId: string | number }, PushwrenSuccess | PushwrenFailure];
  "/login": [{ externalId: string | number }, PushwrenSuccess | PushwrenFailure];
  "/externalUserId/remove": [{}, PushwrenSuccess];
  "/logout": [{}, PushwrenSuccess];
  "/tags/get": [{}, PushwrenTagsAnswer];
  "/tags/set": [{ tags: PushwrenMap }, PushwrenSuccess | PushwrenFailure];
  /** Without a list of keys, every tag is deleted. */
  "/tags/delete": [{ tags?: string[] }, PushwrenSuccess];
  "/showTagsUI": [{}, undefined];
  "/promptLocation": [{}, undefined];
  "/iam/addTrigger": [{ key: string; value: unknown }, undefined];
  "/iam/addTriggers": [{ map: PushwrenMap }, undefined];
  "/iam/removeTriggerForKey": [{ key: string }, undefined];
  "/iam/pauseInAppMessages": [{ pause: boolean | string | number }, undefined];
  "/iam/setInAppMessageClickHandler": [{ handler?: string }, undefined];
  "/enableForegroundNotifications": [{ enabled: boolean | string | number }, undefined];
  "/badge/set": [{ count: number | string }, undefined];
}

/** A click in an in-app message. */
export interface PushwrenInAppMessageClick {
  clickUrl: string;
  clickName: string;
  closesMessage: boolean;
}

export interface PushwrenEvents {
  /** A tapped notification's custom data (when the tap did not open a URL). */
  pushOpened: (data: Record<string, unknown>) => void;
  /** The info report, sent after every page load; heard once per report (the host calls two names). */
  info: (info: PushwrenInfo, functionName: "tavio_onesignal_info" | "corvane_onesignal_info") => void;
  /** Listening names the page's click handler to the plugin. */
  inAppMessageClick: (click: PushwrenInAppMessageClick) => void;
}

export interface PushwrenClient {
  /**
   * Sends a bridge command. Resolves with the command's answer, or with undefined for a command
   * that does not answer (and for any command while push is switched off). Rejects when the
   * page is not in the web view, and at once when the device's app has crashed or the playground
   * has stopped (also for calls still pending then). The data's "callback" entry is the
   * client's own.
   */
  call<P extends keyof PushwrenCommands>(path: P, data?: PushwrenCommands[P][0]): Promise<PushwrenCommands[P][1]>;
  /** A path of no known command: answered, if at all, with whatever the host sends. */
  call<P extends string>(
    path: P extends keyof PushwrenCommands ? never : P,
    data?: Record<string, unknown>,
  ): Promise<unknown>;

  /** Listens for an event; the returned function stops listening. */
  on<E extends keyof PushwrenEvents>(name: E, listener: PushwrenEvents[E]): () => void;
}

export declare const Pushwren: PushwrenClient;
export default Pushwren;

declare global {
  interface Window {
    /** The same client, as the host's script defines it on every page. */
    Pushwren: PushwrenClient;
  }
}
